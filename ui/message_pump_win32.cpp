#include "ui/message_pump_win32.h"

#include <windows.h>

void PauseServicingWindows(unsigned milliseconds) {
  const DWORD start = GetTickCount();
  bool quit = false;
  WPARAM quitCode = 0;
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) break;
    // Sent messages are serviced inside this wait and inside PeekMessageA.
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - elapsed, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
      } else if (msg.message == WM_PAINT) {
        DispatchMessageA(&msg);
      }
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}
