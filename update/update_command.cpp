#include "update/update_command.h"

#include "ports/port_entry.h"

namespace {
const char kFailureCaption[] = "ERROR";

// The message for a failed transfer; nullptr for success.
const char* FailureMessage(TransferResult result) {
  switch (result) {
    case TransferResult::PortReportNotOpened:
      return "Update fireware failure(Port.txt not opened)";
    case TransferResult::PortError:
      return "Update fireware failure(COM Port error)";
    case TransferResult::UpdateReportNotOpened:
      return "Update fireware failure(Update.txt not opened)";
    case TransferResult::CopyFailed:
      return "Update fireware failure(Copy file error)";
    default:
      return nullptr;
  }
}
}  // namespace

void UpdateCommand::Run(const PortList& ports, StatusLine& status, UpdateSteps& steps) {
  const std::string portName = PortNameFromEntry(ports.RowText(ports.SelectedRow()));
  status.SetText("Update now! Please Wait.");
  if (!steps.CheckVersion(portName)) {
    steps.ShowMessage("Module version error.", kFailureCaption);
    status.SetText("");
    return;
  }
  const char* failure = FailureMessage(steps.Transfer(portName));
  if (failure) {
    // The last progress text stays until the technician has read the failure.
    steps.ShowMessage(failure, kFailureCaption);
    status.SetText("");
  } else {
    status.SetText("");
    steps.ShowMessage("Download Firmware is successful", "KV730/KV731");
  }
}
