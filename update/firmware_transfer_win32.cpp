#include "update/firmware_transfer_win32.h"

#include "ui/message_pump_win32.h"
#include "update/firmware_transfer.h"
#include "update/transfer_tools_win32.h"

TransferResult FirmwareTransfer(const std::string& portName, StatusLine& status) {
  WindowsTransferTools tools(PauseServicingWindows);
  return FirmwareTransfer(portName, tools, status);
}
