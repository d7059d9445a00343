#pragma once
#include "ui/status_line.h"
#include "update/transfer_tools.h"

// The fixed waits of the transfer, one second at a time. Each second the status line
// gains a dot (two to five, then one again), so the technician sees the tool is alive
// during the two minutes the module-exchange programs are given.
class ProgressTicker {
 public:
  ProgressTicker(TransferTools& tools, StatusLine& status) : tools_(tools), status_(status) {}
  void Wait(int ticks);

 private:
  TransferTools& tools_;
  StatusLine& status_;
  int ticks_ = 0;  // runs on across every stage of one transfer
};
