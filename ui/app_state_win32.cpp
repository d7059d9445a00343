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
  HANDLE port = InterlockedExchangePointer(const_cast<PVOID*>(&g_app.ScanPortHandle), nullptr);
  if (port != nullptr && port != INVALID_HANDLE_VALUE) CloseHandle(port);
}
