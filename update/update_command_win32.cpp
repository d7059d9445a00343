#include "update/update_command_win32.h"

#include "link/version_check_win32.h"
#include "res/resource.h"
#include "ui/message_pump_win32.h"
#include "ui/port_list_win32.h"
#include "ui/status_line_win32.h"
#include "update/firmware_transfer_win32.h"
#include "update/update_command.h"

namespace {
// The command's steps on the panel: message boxes are owned by it, so the technician
// cannot reach the panel again before closing the box.
class PanelUpdateSteps final : public UpdateSteps {
 public:
  PanelUpdateSteps(HWND panel, StatusLine& status) : panel_(panel), status_(status) {}
  bool CheckVersion(const std::string& portName) override {
    return VersionCheck(portName.c_str(), PauseServicingWindows);
  }
  TransferResult Transfer(const std::string& portName) override {
    return FirmwareTransfer(portName, status_);
  }
  void ShowMessage(const char* text, const char* caption) override {
    MessageBoxA(panel_, text, caption, MB_OK);
  }

 private:
  HWND panel_;
  StatusLine& status_;
};
}  // namespace

void UpdateCommand::Run(HWND panel) {
  const ComboPortList ports(GetDlgItem(panel, IDC_PORT_LIST));
  StaticStatusLine status(GetDlgItem(panel, IDC_STATUS));
  PanelUpdateSteps steps(panel, status);
  Run(ports, status, steps);
}
