#pragma once
#include <string>

#include "ui/port_list.h"
#include "ui/status_line.h"
#include "update/transfer_result.h"

// What the Update command does beyond the port list and the status line.
class UpdateSteps {
 public:
  // True when the module on the port carries the revision the firmware is made for.
  virtual bool CheckVersion(const std::string& portName) = 0;
  virtual TransferResult Transfer(const std::string& portName) = 0;
  // Returns once the technician has closed the message box.
  virtual void ShowMessage(const char* text, const char* caption) = 0;

 protected:
  ~UpdateSteps() = default;
};

namespace UpdateCommand {
// Checks the module's revision on the port of the selected row, puts the firmware onto
// it and tells the technician the outcome in exactly one message box.
void Run(const PortList& ports, StatusLine& status, UpdateSteps& steps);
}  // namespace UpdateCommand
