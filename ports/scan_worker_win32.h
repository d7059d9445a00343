#pragma once
#include <windows.h>

#include "ports/scan_closing.h"

// The messages by which the scan worker reaches its dialog. The threading rules are
// written at the top of scan_dialog_win32.cpp.
// Sent; lParam is a text that stays valid only until the message has been answered.
constexpr UINT kScanSetLabelMessage = WM_APP + 1;
// Sent; wParam is the row's index, lParam its text, as for the two above.
constexpr UINT kScanInsertResultMessage = WM_APP + 2;
// Posted once the worker has met a talking device and closed its port; it ends right after.
constexpr UINT kScanTalkingDeviceMessage = WM_APP + 3;

// The worker thread of one opening of the scan dialog, as the user-interface thread
// sees it. Its thread handle is also g_app.ScanThread while the worker may be running.
class ScanWorkerThread final : public ScanWorkerControl {
 public:
  ScanWorkerThread();
  // Closes the thread handle if the worker has ended; a worker that could not be stopped
  // keeps its handle in g_app.ScanThread, so that nobody releases the port it may still use.
  ~ScanWorkerThread();
  ScanWorkerThread(const ScanWorkerThread&) = delete;
  ScanWorkerThread& operator=(const ScanWorkerThread&) = delete;

  // Starts the worker over the first portCount rows of the panel's port list.
  void Start(HWND dialog, HWND portList, int portCount);

  void AskToStop() override;
  bool HasEnded() override;
  void WaitForEnd(unsigned milliseconds) override;
  void Terminate() override;
  void ReleasePort() override;

 private:
  HANDLE stop_;  // manual-reset: once set, every later check and pause of the worker sees it
  HANDLE thread_ = nullptr;
};
