#pragma once
#include <string>

class ModuleLine;

// The label texts by which the scan dialog tells whether its worker has finished.
inline constexpr char kScanCompleteLabel[] = "Complete Scan.";
// The tail of a result row whose port answered as the module.
inline constexpr char kOpenSucceedTail[] = "...[Open succeed]";

// How one port answered the scan.
enum class ProbeOutcome {
  Identified,     // the module named its maker and model
  NotIdentified,  // the port could not be opened, or what answered was not the module
  Talking,        // the device talked on its own: it is not in its setting mode
};

// The silence check, then the identification, on a link fresh from opening and preparing.
// A talking device is not sent anything.
ProbeOutcome ProbeModule(ModuleLine& line);

// What the scan worker reaches outside its own thread. On Windows every call but the probe
// and the pause is a window message to the user-interface thread.
class ScanWorkerIo {
 public:
  virtual std::string PortRow(int index) = 0;  // the text of a port-list row
  virtual void SetLabel(const std::string& text) = 0;
  virtual void InsertResult(int index, const std::string& row) = 0;
  // Opens and prepares the port, probes the module, and closes the port again.
  virtual ProbeOutcome Probe(const std::string& portName) = 0;
  // Returns early once a stop is requested.
  virtual void Pause(unsigned milliseconds) = 0;
  virtual bool StopRequested() = 0;
  // Asks the dialog to tell the technician and to end; the worker has closed its port and
  // ends right after.
  virtual void ReportTalkingDevice() = 0;

 protected:
  ~ScanWorkerIo() = default;
};

namespace ScanWorker {

// Probes port-list rows 0 to portCount - 1 in turn and lists each outcome at the row's own
// index, then "Scanning Completed." and the label "Complete Scan.". Stops at once, touching
// nothing more, when a stop is requested; stops the whole scan on a talking device.
void Run(ScanWorkerIo& io, int portCount);

}  // namespace ScanWorker
