#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "ui/app_state_win32.h"
#include "ui/control_panel_win32.h"
#include "ui/main_window_win32.h"

namespace {
// Title bar, system menu and minimise box: the window cannot be resized or maximised.
constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
static_assert(kMainWindowStyle == 0x00CA0000, "fixed-size main window");
static_assert(sizeof(WNDCLASSEXA) == 48, "32-bit window class");

void RegisterMainWindowClass(HINSTANCE instance, const char* className) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
  windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszMenuName = "IDR_MENU1";
  windowClass.lpszClassName = className;
  RegisterClassExA(&windowClass);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
  // The title serves as class name and caption alike; a running copy is found by both.
  char className[64] = {};
  char title[64] = {};
  LoadStringA(instance, IDS_APP_TITLE, className, sizeof className);
  LoadStringA(instance, IDS_APP_TITLE, title, sizeof title);

  // The running copy is raised by its plain handle: the handle with its lowest bit set (an
  // old idiom) names no window here and leaves no window at all in the foreground.
  if (HWND running = FindWindowA(className, title)) {
    SetForegroundWindow(running);
    return 0;
  }

  RegisterMainWindowClass(instance, className);
  g_app.Instance = instance;
  InitCommonControls();

  HWND window = CreateWindowExA(0, className, title, kMainWindowStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, 296, 285, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, showState);
  UpdateWindow(window);

  MSG message = {};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (ControlPanel::TakeDialogKey(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
