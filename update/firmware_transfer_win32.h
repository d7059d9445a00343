#pragma once
#include <string>

#include "ui/status_line.h"
#include "update/transfer_result.h"

// The firmware transfer as the Update command runs it on the user-interface thread: the
// window keeps painting through the two minutes of ticks, and takes no other input.
TransferResult FirmwareTransfer(const std::string& portName, StatusLine& status);
