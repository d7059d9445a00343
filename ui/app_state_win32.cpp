#include "ui/app_state_win32.h"

AppState g_app;

void PublishScanPort(HANDLE port) {
  InterlockedExchangePointer(const_cast<PVOID*>(&g_app.ScanPortHandle), port);
}

bool ReclaimScanPort(HANDLE port) {
  return InterlockedCompareExchangePointer(const_cast<PVOID*>(&g_app.ScanPortHandle),
                                           nullptr, port) == port;
}

void ReleaseScanPort() {
  // A worker that is still running may be inside a read on its port; it closes the port
  // itself when it comes back.
  if (g_app.ScanThread != nullptr && WaitForSingleObject(g_app.ScanThread, 0) == WAIT_TIMEOUT) {
    return;
  }
  HANDLE port = InterlockedExchangePointer(const_cast<PVOID*>(&g_app.ScanPortHandle), nullptr);
  if (port != nullptr && port != INVALID_HANDLE_VALUE) CloseHandle(port);
}
