#include "ui/main_window_win32.h"

#include "ports/port_discovery_win32.h"
#include "res/resource.h"
#include "ui/about_dialog_win32.h"
#include "ui/app_state_win32.h"
#include "ui/control_panel_win32.h"
#include "ui/port_list_win32.h"

namespace {
void CreatePanelAndFindPorts(HWND window) {
  g_app.MainWindow = window;
  HWND panel = ControlPanel::Create(window);
  g_app.PanelWindow = panel;
  SetParent(panel, window);
  ShowWindow(panel, SW_SHOW);

  ComboPortList ports(GetDlgItem(panel, IDC_PORT_LIST));
  g_app.PortCount = PortDiscovery::Fill(ports);
  PortDiscovery::PulseAll(ports, g_app.PortCount);
}
}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreatePanelAndFindPorts(window);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SETFOCUS:
      // Keys reach the panel's dialog handling only when the focus is inside it.
      if (g_app.PanelWindow != nullptr) SetFocus(g_app.PanelWindow);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDM_EXIT) {
        ReleaseScanPort();
        DestroyWindow(window);
        return 0;
      }
      if (LOWORD(wParam) == IDM_ABOUT) {
        AboutDialog::Show();
        return 0;
      }
      break;
    case WM_DESTROY:
      ReleaseScanPort();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
