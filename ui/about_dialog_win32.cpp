#include "ui/about_dialog_win32.h"

#include <windows.h>

#include "res/resource.h"
#include "ui/app_state_win32.h"

namespace {
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}
}  // namespace

void AboutDialog::Show() {
  DialogBoxParamA(g_app.Instance, MAKEINTRESOURCEA(IDD_ABOUT), g_app.MainWindow, AboutProc, 0);
}
