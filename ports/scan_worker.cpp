#include "ports/scan_worker.h"

#include "link/module_probe.h"
#include "ports/port_entry.h"

namespace {
// The technician reads each row before the next port is opened.
constexpr unsigned kPauseAfterPortMs = 1000;
}  // namespace

ProbeOutcome ProbeModule(ModuleLine& line) {
  if (!ModuleProbe::IsSilent(line)) return ProbeOutcome::Talking;
  return ModuleProbe::Identify(line) ? ProbeOutcome::Identified : ProbeOutcome::NotIdentified;
}

namespace ScanWorker {

void Run(ScanWorkerIo& io, int portCount) {
  for (int row = 0; row < portCount; ++row) {
    if (io.StopRequested()) return;
    const std::string port = PortNameFromEntry(io.PortRow(row));
    io.SetLabel("Scanning " + port + "...");
    const ProbeOutcome outcome = io.Probe(port);
    // A probe cut short by a stop request says nothing about the port.
    if (io.StopRequested()) return;
    if (outcome == ProbeOutcome::Talking) {
      io.ReportTalkingDevice();
      return;
    }
    io.Pause(kPauseAfterPortMs);
    if (io.StopRequested()) return;
    const char* tail = outcome == ProbeOutcome::Identified ? kOpenSucceedTail : "...[Open failed]";
    io.InsertResult(row, "Scanning " + port + tail);
  }
  io.Pause(kPauseAfterPortMs);
  if (io.StopRequested()) return;
  io.InsertResult(portCount, "Scanning Completed.");
  io.SetLabel(kScanCompleteLabel);
}

}  // namespace ScanWorker
