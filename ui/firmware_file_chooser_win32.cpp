#include "ui/firmware_file_chooser_win32.h"

#include <windows.h>
#include <commdlg.h>

#include <cstddef>

#include "res/resource.h"
#include "ui/app_state_win32.h"
#include "ui/file_path.h"

// The request ends at its template name, without the later extension fields: every
// version of the common dialog accepts that size.
constexpr DWORD kRequestSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(kRequestSize == 76, "open-file request of 76 bytes");

void FirmwareFileChooser::Choose() {
  char path[260] = {};
  OPENFILENAMEA request = {};
  request.lStructSize = kRequestSize;
  request.hwndOwner = g_app.MainWindow;
  request.lpstrFilter = "Java Files (*.jar; *.jad)\0*.jar; *.jad\0Text Files (*.ini)\0*.ini\0";
  request.nFilterIndex = 1;
  request.lpstrFile = path;
  request.nMaxFile = sizeof path;
  request.lpstrTitle = "KV730-Update Fireware";
  if (GetOpenFileNameA(&request) != 1) return;
  SetDlgItemTextA(g_app.PanelWindow, IDC_FILE_NAME, FileNameFromPath(path).c_str());
  SetDlgItemTextA(g_app.PanelWindow, IDC_FILE_ROUTE, path);
}
