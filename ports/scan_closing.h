#pragma once
#include <string>

class PortList;

// The scan dialog as its closing sequence sees it.
class ScanDialogView {
 public:
  virtual std::string Label() = 0;
  virtual void SetLabel(const std::string& text) = 0;
  virtual std::string ResultRow(int index) = 0;  // empty for an index with no row
  // Keeps the dialog painted and answering the worker's messages meanwhile.
  virtual void Pause(unsigned milliseconds) = 0;

 protected:
  ~ScanDialogView() = default;
};

// The scan worker thread, as the dialog that started it sees it.
class ScanWorkerControl {
 public:
  // Asks the worker to stop and cuts a read pending on its port short.
  virtual void AskToStop() = 0;
  virtual bool HasEnded() = 0;
  // Returns early when the worker ends; meanwhile the dialog keeps answering its messages.
  virtual void WaitForEnd(unsigned milliseconds) = 0;
  virtual void Terminate() = 0;
  // Closes the port the worker still had published, if any. Only safe once it has ended.
  virtual void ReleasePort() = 0;

 protected:
  ~ScanWorkerControl() = default;
};

namespace ScanClosing {

// Stops the worker in at most 10 tries of at most 3 seconds each. Every try but the last
// asks it again; only the last forces it. True when it has ended; then its port, if it
// left one published, is released.
bool StopWorker(ScanWorkerControl& worker);

// What OK and cancel do before the dialog ends: an unfinished scan is broken off (row 0
// of the port list selected, the label "Break Scan.", three seconds' pause); then the
// port-list row of the first port that answered as the module is selected, and the
// worker is stopped.
void Run(ScanDialogView& dialog, ScanWorkerControl& worker, PortList& ports, int portCount);

}  // namespace ScanClosing
