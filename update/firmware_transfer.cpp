#include "update/firmware_transfer.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "update/progress_ticker.h"
#include "update/transfer_files.h"

namespace {
const char kExtensionRegistration[] = "REGSVR32.EXE -s MESShellExt.dll";
const char kServerRegistration[] = "MESServer.exe -RegServer";
const char kServerUnregistration[] = "MESServer.exe -UnregServer";
const char kExtensionUnregistration[] = "REGSVR32.EXE -s /u MESShellExt.dll";

// Only the start of a report is examined.
const std::size_t kPortReportSize = 1024;
const std::size_t kCopyReportSize = 8192;

// The report as a text: the buffer has one byte more than is read, and it stays zero.
bool ReadReportText(TransferTools& tools, const std::string& path, std::size_t size,
                    std::vector<char>& text) {
  text.assign(size + 1, '\0');
  return tools.ReadReport(path, text.data(), size);
}

// The copy tool ends its report with "<n> file(s) copied". Any of 1 to 12 counts as a
// copy; so does 13, which holds "3 file(s) copied".
bool HasCopyCount(const char* report) {
  for (int count = 1; count <= 12; ++count) {
    char line[32];
    std::snprintf(line, sizeof line, "%d file(s) copied", count);
    if (std::strstr(report, line)) return true;
  }
  return false;
}

// A stage is judged only by a report it wrote itself: the report of an earlier run is
// removed first, and a stage whose old report stays is not started at all.
TransferResult RunStages(const TransferFiles& files, TransferTools& tools,
                         ProgressTicker& ticker) {
  if (!tools.RemoveReport(files.portReport)) return TransferResult::PortReportNotOpened;
  tools.WriteCommandFile(files.portCommandFile, files.portStageLine);
  ticker.Wait(5);
  tools.Run(files.portStageCall);
  ticker.Wait(3);
  std::vector<char> report;
  if (!ReadReportText(tools, files.portReport, kPortReportSize, report)) {
    return TransferResult::PortReportNotOpened;
  }
  if (!std::strstr(report.data(), "successfully")) return TransferResult::PortError;

  if (!tools.RemoveReport(files.copyReport)) return TransferResult::UpdateReportNotOpened;
  tools.WriteCommandFile(files.copyCommandFile, files.copyStageLine);
  ticker.Wait(3);
  tools.Run(files.copyStageCall);
  ticker.Wait(80);
  if (!ReadReportText(tools, files.copyReport, kCopyReportSize, report)) {
    return TransferResult::UpdateReportNotOpened;
  }
  return HasCopyCount(report.data()) ? TransferResult::Success : TransferResult::CopyFailed;
}
}  // namespace

TransferResult FirmwareTransfer(const std::string& portName, TransferTools& tools,
                                StatusLine& status) {
  // Both refusals come before any program is started, so nothing is left to undo.
  if (!IsPlainPortName(portName)) return TransferResult::PortError;
  std::string exeDir;
  TransferFiles files;
  if (!ExeDirFromProgramPath(tools.ProgramPath(), exeDir) ||
      !BuildTransferFiles(exeDir, portName, files)) {
    return TransferResult::PortReportNotOpened;
  }

  ProgressTicker ticker(tools, status);
  tools.Run(kExtensionRegistration);
  ticker.Wait(35);
  tools.Run(kServerRegistration);
  const TransferResult result = RunStages(files, tools, ticker);

  // Whatever the outcome, the server and the extension do not stay registered.
  tools.Run(kServerUnregistration);
  ticker.Wait(8);
  tools.Run(kExtensionUnregistration);
  return result;
}
