// The firmware transfer in real time, run by update_transfer_realtime.sh: a copy of this
// program lies in a technician's folder beside the module-exchange stand-ins and a small
// "firmware" folder, and the simulated module answers on the port KV_MODULE_PORT names.
// The script checks afterwards what the module received.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "update/firmware_transfer_win32.h"

namespace {

class TickCounter final : public StatusLine {
 public:
  void SetText(const char*) override { ++ticks; }
  int ticks = 0;
};

struct TimedTransfer {
  TransferResult result = TransferResult::Success;
  int ticks = 0;
  long milliseconds = 0;
};

TimedTransfer RunTransfer() {
  TimedTransfer run;
  const char* port = std::getenv("KV_MODULE_PORT");
  if (!port) {
    ADD_FAILURE() << "KV_MODULE_PORT is not set: run through update_transfer_realtime.sh";
    return run;
  }
  TickCounter status;
  const DWORD start = GetTickCount();
  run.result = FirmwareTransfer(port, status);
  run.milliseconds = static_cast<long>(GetTickCount() - start);
  run.ticks = status.ticks;
  std::printf("the transfer took %ld ms for %d ticks\n", run.milliseconds, run.ticks);
  return run;
}

TEST(UpdateTransferRealTime, WholeTransferCopiesTheFirmwareIn134Ticks) {
  const TimedTransfer run = RunTransfer();
  EXPECT_EQ(run.result, TransferResult::Success);
  EXPECT_EQ(run.ticks, 134);
  EXPECT_NEAR(run.milliseconds, 134000, 2000);
}

TEST(UpdateTransferRealTime, PortStageFailureEndsAfter51Ticks) {
  const TimedTransfer run = RunTransfer();
  EXPECT_EQ(run.result, TransferResult::PortError);
  EXPECT_EQ(run.ticks, 51);
  EXPECT_NEAR(run.milliseconds, 51000, 2000);
}

}  // namespace
