#include "ui/control_panel_win32.h"

#include "ports/scan_dialog_win32.h"
#include "res/resource.h"
#include "ui/app_state_win32.h"
#include "ui/firmware_file_chooser_win32.h"
#include "update/update_command_win32.h"

namespace {
using PanelCommand = void (*)(HWND panel);

struct PanelBinding {
  int id;
  PanelCommand run;
};

// What the panel's buttons do. A command id with no row here does nothing (Radio / Band
// among them); notification codes are never looked at.
const PanelBinding kCommands[] = {
    {IDC_UPDATE, UpdateCommand::Run},
    {IDC_SCAN, [](HWND) { ScanDialog::Show(); }},
    {IDC_SELECT_FILE, [](HWND) { FirmwareFileChooser::Choose(); }},
    {IDCANCEL, [](HWND panel) { DestroyWindow(panel); }},
};

// The update runs for minutes inside its command, and all that time the window answers
// messages sent to it. A click delivered that way (BM_CLICK from another program) would
// otherwise start a second update inside the first: while a command runs, the panel takes
// no other.
bool g_commandRunning = false;

void RunCommand(HWND panel, int id) {
  if (g_commandRunning) return;
  for (const PanelBinding& command : kCommands) {
    if (command.id != id) continue;
    g_commandRunning = true;
    command.run(panel);
    g_commandRunning = false;
    return;
  }
}

INT_PTR CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      // The template holds two default buttons and the dialog manager keeps the last one,
      // Radio / Band, which does nothing; Enter is meant for Update.
      SendMessageA(panel, DM_SETDEFID, IDC_UPDATE, 0);
      return TRUE;
    case WM_DESTROY:
      g_app.PanelWindow = nullptr;
      return TRUE;
    case WM_COMMAND:
      RunCommand(panel, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}
}  // namespace

HWND ControlPanel::Create(HWND mainWindow) {
  return CreateDialogParamA(g_app.Instance, "TestDialog", mainWindow, PanelProc, 0);
}

bool ControlPanel::TakeDialogKey(MSG* message) {
  HWND panel = g_app.PanelWindow;
  if (panel == nullptr) return false;
  // The dialog manager turns Escape into the cancel command, which destroys the panel and
  // leaves the technician an empty window. Escape goes its ordinary way instead (it still
  // closes an open drop-down list).
  if (message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) return false;
  return IsDialogMessageA(panel, message) != FALSE;
}
