#pragma once
#include <windows.h>

// The few values that several parts of the program share. Everything but ScanPortHandle
// is touched by the user-interface thread only.
struct AppState {
  HINSTANCE Instance = nullptr;
  HWND MainWindow = nullptr;
  HWND PanelWindow = nullptr;  // empty once the panel is destroyed
  int PortCount = 0;           // port-list rows after start-up; never changed afterwards
  HANDLE ScanThread = nullptr;
  // The port the scan worker opened last. It changes hands only through the functions
  // below, so that it is closed exactly once, by whoever takes it out first.
  HANDLE volatile ScanPortHandle = nullptr;
};

extern AppState g_app;

// The scan worker publishes the port it has just opened.
void PublishScanPort(HANDLE port);
// The scan worker takes its port back before closing it: true when it was still published
// (the worker now owns it and closes it), false when someone else has released it already.
bool ReclaimScanPort(HANDLE port);
// The scan dialog's closing and the program's end release the published port, if any.
// Nothing is released while the worker in ScanThread is still running: it owns its port.
void ReleaseScanPort();
