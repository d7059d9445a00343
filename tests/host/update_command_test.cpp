// The Update command: what the technician is told for each outcome, and when the status
// line is cleared.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/update_command.h"

namespace {

using Events = std::vector<std::string>;

class OneRowPortList final : public PortList {
 public:
  explicit OneRowPortList(std::string row) : row_(std::move(row)) {}
  void AddRow(const std::string&) override {}
  void SelectRow(int) override {}
  int SelectedRow() const override { return 0; }
  int RowCount() const override { return 1; }
  std::string RowText(int index) const override { return index == 0 ? row_ : ""; }

 private:
  std::string row_;
};

// Status texts, checks, transfers and message boxes in the order they happen.
class RecordingDesk final : public StatusLine, public UpdateSteps {
 public:
  bool versionPasses = true;
  TransferResult result = TransferResult::Success;
  Events events;

  void SetText(const char* text) override { events.push_back(std::string("status ") + text); }
  bool CheckVersion(const std::string& port) override {
    events.push_back("check " + port);
    return versionPasses;
  }
  TransferResult Transfer(const std::string& port) override {
    events.push_back("transfer " + port);
    return result;
  }
  void ShowMessage(const char* text, const char* caption) override {
    events.push_back(std::string("message ") + text + " | " + caption);
  }
};

struct CommandCase {
  const char* name;
  const char* row;
  bool versionPasses;
  TransferResult result;
  Events events;
};

const char kWait[] = "status Update now! Please Wait.";

TEST(UpdateCommand, TellsEachOutcomeOnceAndLeavesTheStatusLineEmpty) {
  const auto failure = [](const char* row, const char* message) {
    return Events{kWait, std::string("check ") + row, std::string("transfer ") + row,
                  std::string("message ") + message + " | ERROR", "status "};
  };
  const CommandCase cases[] = {
      {"no adapter found: port NO", "NO", false, TransferResult::Success,
       {kWait, "check NO", "message Module version error. | ERROR", "status "}},
      {"success", "COM3:", true, TransferResult::Success,
       {kWait, "check COM3", "transfer COM3", "status ",
        "message Download Firmware is successful | KV730/KV731"}},
      {"no port report", "COM3:", true, TransferResult::PortReportNotOpened,
       failure("COM3", "Update fireware failure(Port.txt not opened)")},
      {"port error", "COM10:", true, TransferResult::PortError,
       failure("COM10", "Update fireware failure(COM Port error)")},
      {"no copy report", "COM3:", true, TransferResult::UpdateReportNotOpened,
       failure("COM3", "Update fireware failure(Update.txt not opened)")},
      {"copy failed", "COM3:", true, TransferResult::CopyFailed,
       failure("COM3", "Update fireware failure(Copy file error)")},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    OneRowPortList ports(c.row);
    RecordingDesk desk;
    desk.versionPasses = c.versionPasses;
    desk.result = c.result;
    UpdateCommand::Run(ports, desk, desk);
    EXPECT_EQ(desk.events, c.events);
  }
}

}  // namespace
