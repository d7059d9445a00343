#include "ports/scan_closing.h"

#include "ports/scan_worker.h"
#include "ui/port_list.h"

namespace {
constexpr int kStopTries = 10;
constexpr unsigned kStopTryMs = 3000;
// The technician sees "Break Scan." and the worker gets the time to put its port down.
constexpr unsigned kBreakPauseMs = 3000;
}  // namespace

namespace ScanClosing {

bool StopWorker(ScanWorkerControl& worker) {
  for (int attempt = 1; attempt <= kStopTries && !worker.HasEnded(); ++attempt) {
    // Forcing a thread can leave whatever it held locked, so it is the very last resort.
    if (attempt == kStopTries) {
      worker.Terminate();
    } else {
      worker.AskToStop();
    }
    worker.WaitForEnd(kStopTryMs);
  }
  // A worker that is still running may still be using its port: it is left to it.
  if (!worker.HasEnded()) return false;
  worker.ReleasePort();
  return true;
}

void Run(ScanDialogView& dialog, ScanWorkerControl& worker, PortList& ports, int portCount) {
  if (dialog.Label() != kScanCompleteLabel) {
    // Asked before the label changes, so that the worker writes nothing over it.
    worker.AskToStop();
    ports.SelectRow(0);
    dialog.SetLabel("Break Scan.");
    dialog.Pause(kBreakPauseMs);
  }
  for (int row = 0; row < portCount; ++row) {
    if (dialog.ResultRow(row).find(kOpenSucceedTail) != std::string::npos) {
      ports.SelectRow(row);
      break;
    }
  }
  StopWorker(worker);
}

}  // namespace ScanClosing
