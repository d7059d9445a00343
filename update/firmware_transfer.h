#pragma once
#include <string>

#include "ui/status_line.h"
#include "update/transfer_result.h"
#include "update/transfer_tools.h"

// Puts the folder "firmware" beside the tool onto the module on portName by driving the
// module-exchange programs: registers the extension and the server, runs the port stage
// and the copy stage through command files, judges each by its report and unregisters
// again. Programs are never waited for; fixed waits of one-second ticks stand between
// the stages (134 ticks when all goes well, 51 when the port stage fails).
TransferResult FirmwareTransfer(const std::string& portName, TransferTools& tools,
                                StatusLine& status);
