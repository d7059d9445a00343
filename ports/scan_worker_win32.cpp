#include "ports/scan_worker_win32.h"

#include <memory>
#include <string>

#include "link/serial_link_win32.h"
#include "ports/scan_worker.h"
#include "ui/app_state_win32.h"
#include "ui/message_pump_win32.h"
#include "ui/port_list_win32.h"

namespace {

// What the worker thread is given; it owns this and its own copy of the stop event, so
// nothing of it is lost if the dialog ever ends before the worker.
struct WorkerStart {
  HWND dialog;
  HWND portList;
  int portCount;
  HANDLE stop;
};

bool IsSet(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// Once a stop is requested the line falls silent, so the rest of the probe (up to five
// reads of 500 ms each) passes at once instead of keeping the dialog waiting.
class StoppableLine final : public ModuleLine {
 public:
  StoppableLine(ModuleLine& line, HANDLE stop) : line_(line), stop_(stop) {}
  void Send(const char* text) override {
    if (!IsSet(stop_)) line_.Send(text);
  }
  void Read(char* buffer, std::size_t count) override {
    if (!IsSet(stop_)) line_.Read(buffer, count);
  }
  void Pause(unsigned milliseconds) override { WaitForSingleObject(stop_, milliseconds); }

 private:
  ModuleLine& line_;
  HANDLE stop_;
};

class DialogScanIo final : public ScanWorkerIo {
 public:
  explicit DialogScanIo(const WorkerStart& start) : start_(start), ports_(start.portList) {}

  std::string PortRow(int index) override { return ports_.RowText(index); }

  void SetLabel(const std::string& text) override {
    SendMessageA(start_.dialog, kScanSetLabelMessage, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }

  void InsertResult(int index, const std::string& row) override {
    SendMessageA(start_.dialog, kScanInsertResultMessage, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(row.c_str()));
  }

  ProbeOutcome Probe(const std::string& portName) override {
    SerialLink link;
    link.OpenAndPrepare(portName.c_str());
    const HANDLE port = link.Handle();
    if (link.IsOpen()) PublishScanPort(port);
    StoppableLine line(link, start_.stop);
    const ProbeOutcome outcome = ProbeModule(line);
    // Taken back before it is closed: a port released by someone else is not touched again.
    if (link.IsOpen()) {
      if (ReclaimScanPort(port)) {
        link.Close();
      } else {
        link.Forget();
      }
    }
    return outcome;
  }

  void Pause(unsigned milliseconds) override { WaitForSingleObject(start_.stop, milliseconds); }

  bool StopRequested() override { return IsSet(start_.stop); }

  // Posted, not sent: the message box and the end of the dialog belong to the dialog's
  // thread, which waits for this worker to end before it ends the dialog.
  void ReportTalkingDevice() override {
    PostMessageA(start_.dialog, kScanTalkingDeviceMessage, 0, 0);
  }

 private:
  const WorkerStart& start_;
  ComboPortList ports_;
};

DWORD WINAPI ScanWorkerMain(LPVOID parameter) {
  std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
  {
    DialogScanIo io(*start);
    ScanWorker::Run(io, start->portCount);
  }
  CloseHandle(start->stop);
  return 1;
}

// The worker's messages are answered while the dialog waits, in short steps so that the
// end of the worker is noticed soon.
constexpr unsigned kEndPollMs = 20;

}  // namespace

ScanWorkerThread::ScanWorkerThread() : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

ScanWorkerThread::~ScanWorkerThread() {
  if (thread_ != nullptr && HasEnded()) {
    CloseHandle(thread_);
    g_app.ScanThread = nullptr;
  }
  if (stop_ != nullptr) CloseHandle(stop_);
}

void ScanWorkerThread::Start(HWND dialog, HWND portList, int portCount) {
  HANDLE workerStop = nullptr;
  if (stop_ == nullptr || !DuplicateHandle(GetCurrentProcess(), stop_, GetCurrentProcess(),
                                           &workerStop, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return;
  }
  auto* start = new WorkerStart{dialog, portList, portCount, workerStop};
  thread_ = CreateThread(nullptr, 0, ScanWorkerMain, start, 0, nullptr);
  if (thread_ == nullptr) {
    CloseHandle(workerStop);
    delete start;
    return;
  }
  g_app.ScanThread = thread_;
}

void ScanWorkerThread::AskToStop() {
  if (stop_ != nullptr) SetEvent(stop_);
  // A read in progress would otherwise run to its time-out, or for ever on a driver that
  // ignores time-outs.
  if (thread_ != nullptr) CancelSynchronousIo(thread_);
}

bool ScanWorkerThread::HasEnded() {
  return thread_ == nullptr || WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0;
}

void ScanWorkerThread::WaitForEnd(unsigned milliseconds) {
  const DWORD begin = GetTickCount();
  while (!HasEnded() && GetTickCount() - begin < milliseconds) PauseServicingWindows(kEndPollMs);
}

void ScanWorkerThread::Terminate() {
  if (thread_ != nullptr) TerminateThread(thread_, 0);
}

void ScanWorkerThread::ReleasePort() { ReleaseScanPort(); }
