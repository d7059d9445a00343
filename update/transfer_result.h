#pragma once

// How a firmware transfer ended; the Update command turns it into one message box.
enum class TransferResult : int {
  Success = 0,                // the copy report holds a copy count
  PortReportNotOpened = 1,    // "Port.txt" could not be opened
  PortError = 2,              // "Port.txt" lacks "successfully"
  UpdateReportNotOpened = 3,  // "Update.txt" could not be opened
  CopyFailed = 4,             // "Update.txt" holds no copy count
};
