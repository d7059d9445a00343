// The port scan: the worker's walk over the port list and the dialog's closing sequence,
// run together on one thread against a port list and modules that answer from a table.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "link_scripted_line.h"
#include "ports/scan_closing.h"
#include "ports/scan_worker.h"
#include "ui/port_list.h"

namespace {

class FakePortList final : public PortList {
 public:
  FakePortList(std::vector<std::string> rows, int selected)
      : rows_(std::move(rows)), selected_(selected) {}
  void AddRow(const std::string& entry) override { rows_.push_back(entry); }
  void SelectRow(int index) override { selected_ = index; }
  int SelectedRow() const override { return selected_; }
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  std::string RowText(int index) const override {
    return index >= 0 && index < RowCount() ? rows_[index] : std::string();
  }

 private:
  std::vector<std::string> rows_;
  int selected_;
};

// One opening of the scan dialog. The worker "thread" runs on the test's own thread; the
// technician's OK can be pressed from inside the probe of a given port, which is where the
// worker spends its time. A worker that is asked to stop counts as ended at once, and any
// call it makes after that is a fault.
struct ScanBench : ScanWorkerIo {
  ScanBench(std::vector<std::string> rows, int selected, const char* okDuringProbeOf)
      : ports(rows, selected), portCount(static_cast<int>(rows.size())),
        okDuringProbeOf(okDuringProbeOf ? okDuringProbeOf : "") {}

  // The user-interface thread's side.
  struct Dialog final : ScanDialogView, ScanWorkerControl {
    explicit Dialog(ScanBench& bench) : bench(bench) {}
    std::string Label() override { return bench.label; }
    void SetLabel(const std::string& text) override { bench.label = text; }
    std::string ResultRow(int index) override {
      return index < static_cast<int>(bench.results.size()) ? bench.results[index] : "";
    }
    void Pause(unsigned ms) override { bench.closingPauses.push_back(ms); }
    void AskToStop() override { bench.stopAsked = true; }
    bool HasEnded() override { return bench.stopAsked || bench.workerReturned; }
    void WaitForEnd(unsigned) override {}
    void Terminate() override { ADD_FAILURE() << "a worker that stops when asked was forced"; }
    void ReleasePort() override { bench.portReleased = true; }
    ScanBench& bench;
  };

  void PressOk() {
    Dialog dialog(*this);
    ScanClosing::Run(dialog, dialog, ports, portCount);
    closed = true;
  }

  void RunWorker() {
    ScanWorker::Run(*this, portCount);
    workerReturned = true;
  }

  // The worker's side.
  std::string PortRow(int index) override {
    CountLateCall();
    return ports.RowText(index);
  }
  void SetLabel(const std::string& text) override {
    CountLateCall();
    label = text;
  }
  void InsertResult(int index, const std::string& row) override {
    CountLateCall();
    // A list box refuses an index past its end.
    if (index <= static_cast<int>(results.size())) results.insert(results.begin() + index, row);
  }
  ProbeOutcome Probe(const std::string& port) override {
    CountLateCall();
    probed.push_back(port);
    if (port == okDuringProbeOf) PressOk();
    auto answer = answers.find(port);
    return answer == answers.end() ? ProbeOutcome::NotIdentified : answer->second;
  }
  void Pause(unsigned ms) override { workerPauses.push_back(ms); }
  bool StopRequested() override { return stopAsked; }
  void ReportTalkingDevice() override {
    CountLateCall();
    talkingReported = true;
  }
  void CountLateCall() {
    if (stopAsked) ++callsAfterStop;
  }

  FakePortList ports;
  int portCount;
  std::string okDuringProbeOf;
  std::map<std::string, ProbeOutcome> answers;

  std::string label = "Scan...";
  std::vector<std::string> results;
  std::vector<std::string> probed;
  std::vector<unsigned> workerPauses;
  std::vector<unsigned> closingPauses;
  bool stopAsked = false;
  bool workerReturned = false;
  bool talkingReported = false;
  bool portReleased = false;
  bool closed = false;
  int callsAfterStop = 0;
};

constexpr auto kYes = ProbeOutcome::Identified;
constexpr auto kTalks = ProbeOutcome::Talking;

struct ScanCase {
  const char* what;
  std::vector<std::string> rows;
  int selectedBefore;
  std::map<std::string, ProbeOutcome> answers;  // ports not named do not identify
  const char* okDuringProbeOf;                  // nullptr: OK once the worker is done
  std::vector<std::string> probed;
  std::vector<std::string> results;
  std::string label;
  int selectedAfter;
  std::vector<unsigned> workerPauses;
  bool breaksOff;     // the closing sequence pauses three seconds
  bool endsByItself;  // the talking device: no closing sequence at all
};

const ScanCase kScanCases[] = {
    {"finished, module on the second of two ports",
     {"COM3:", "COM7:"}, 0, {{"COM7", kYes}}, nullptr,
     {"COM3", "COM7"},
     {"Scanning COM3...[Open failed]", "Scanning COM7...[Open succeed]", "Scanning Completed."},
     "Complete Scan.", 1, {1000, 1000, 1000}, false, false},
    {"finished, module on every port: the first one wins",
     {"COM3:", "COM7:"}, 1, {{"COM3", kYes}, {"COM7", kYes}}, nullptr,
     {"COM3", "COM7"},
     {"Scanning COM3...[Open succeed]", "Scanning COM7...[Open succeed]", "Scanning Completed."},
     "Complete Scan.", 0, {1000, 1000, 1000}, false, false},
    {"broken off on the second of three: the port being probed does not count",
     {"COM3:", "COM4:", "COM5:"}, 2, {{"COM4", kYes}, {"COM5", kYes}}, "COM4",
     {"COM3", "COM4"}, {"Scanning COM3...[Open failed]"},
     "Break Scan.", 0, {1000}, true, false},
    {"broken off on the third of three: the success found so far is selected",
     {"COM3:", "COM4:", "COM5:"}, 0, {{"COM4", kYes}, {"COM5", kYes}}, "COM5",
     {"COM3", "COM4", "COM5"},
     {"Scanning COM3...[Open failed]", "Scanning COM4...[Open succeed]"},
     "Break Scan.", 1, {1000, 1000}, true, false},
    {"no port answered: the selection stays",
     {"COM3:", "COM7:"}, 1, {}, nullptr,
     {"COM3", "COM7"},
     {"Scanning COM3...[Open failed]", "Scanning COM7...[Open failed]", "Scanning Completed."},
     "Complete Scan.", 1, {1000, 1000, 1000}, false, false},
    {"the single row NO",
     {"NO"}, 0, {}, nullptr,
     {"NO"}, {"Scanning NO...[Open failed]", "Scanning Completed."},
     "Complete Scan.", 0, {1000, 1000}, false, false},
    {"a talking device ends the scan and leaves the selection",
     {"COM3:", "COM7:", "COM8:"}, 2, {{"COM7", kTalks}, {"COM8", kYes}}, nullptr,
     {"COM3", "COM7"}, {"Scanning COM3...[Open failed]"},
     "Scanning COM7...", 2, {1000}, false, true},
};

void PrintTo(const ScanCase& c, std::ostream* out) { *out << c.what; }

class PortScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(PortScan, ListsOutcomesAndSelectsTheFirstPortThatAnswered) {
  const ScanCase& c = GetParam();
  ScanBench bench(c.rows, c.selectedBefore, c.okDuringProbeOf);
  bench.answers = c.answers;

  bench.RunWorker();
  // The dialog ends by itself on a talking device; otherwise the technician presses OK.
  if (!bench.talkingReported && !bench.closed) bench.PressOk();

  EXPECT_EQ(bench.probed, c.probed);
  EXPECT_EQ(bench.results, c.results);
  EXPECT_EQ(bench.label, c.label);
  EXPECT_EQ(bench.ports.SelectedRow(), c.selectedAfter);
  EXPECT_EQ(bench.workerPauses, c.workerPauses);
  const std::vector<unsigned> breakPause = {3000};
  EXPECT_EQ(bench.closingPauses, c.breaksOff ? breakPause : std::vector<unsigned>{});
  EXPECT_EQ(bench.talkingReported, c.endsByItself);
  EXPECT_EQ(bench.closed, !c.endsByItself);
  EXPECT_EQ(bench.portReleased, !c.endsByItself);
  EXPECT_EQ(bench.callsAfterStop, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PortScan, ::testing::ValuesIn(kScanCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(PortScanWorker, OkDuringThePauseAfterAPortListsNothingMore) {
  // The worker is paused after its probe when OK comes: its row must not appear after all.
  struct PauseBench : ScanBench {
    using ScanBench::ScanBench;
    void Pause(unsigned ms) override {
      ScanBench::Pause(ms);
      if (!closed) PressOk();
    }
  } bench({"COM3:", "COM4:"}, 1, nullptr);
  bench.answers = {{"COM3", kYes}};

  bench.RunWorker();

  EXPECT_EQ(bench.probed, std::vector<std::string>{"COM3"});
  EXPECT_TRUE(bench.results.empty());
  EXPECT_EQ(bench.label, "Break Scan.");
  EXPECT_EQ(bench.ports.SelectedRow(), 0);
  EXPECT_EQ(bench.callsAfterStop, 0);
}

// A worker that ends after a given number of waits once it has been asked, or only when
// forced, or not even then.
struct StubbornWorker final : ScanWorkerControl {
  void AskToStop() override { ++asks; }
  bool HasEnded() override { return ended; }
  void WaitForEnd(unsigned ms) override {
    waits.push_back(ms);
    if (asks > 0 && static_cast<int>(waits.size()) >= waitsUntilEnd) ended = true;
    if (terminated && endsWhenForced) ended = true;
  }
  void Terminate() override {
    EXPECT_EQ(asks, 9) << "forced before it was asked in every other try";
    terminated = true;
  }
  void ReleasePort() override {
    EXPECT_TRUE(ended) << "port released under a running worker";
    released = true;
  }
  bool ended = false;
  int waitsUntilEnd = 1000;
  bool endsWhenForced = true;
  int asks = 0;
  bool terminated = false;
  bool released = false;
  std::vector<unsigned> waits;
};

TEST(PortScanStop, TriesTenTimesAndForcesTheWorkerOnlyInTheLastTry) {
  struct Case {
    const char* what;
    bool endedBefore;
    int waitsUntilEnd;
    bool endsWhenForced;
    bool stopped;
    int asks;
    std::size_t waits;
    bool terminated;
  };
  const Case cases[] = {
      {"already ended", true, 1000, true, true, 0, 0, false},
      {"ends when asked", false, 1, true, true, 1, 1, false},
      {"ends when asked a fourth time", false, 4, true, true, 4, 4, false},
      {"ends only when forced", false, 1000, true, true, 9, 10, true},
      {"cannot be stopped: its port is left to it", false, 1000, false, false, 9, 10, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StubbornWorker worker;
    worker.ended = c.endedBefore;
    worker.waitsUntilEnd = c.waitsUntilEnd;
    worker.endsWhenForced = c.endsWhenForced;

    EXPECT_EQ(ScanClosing::StopWorker(worker), c.stopped);

    EXPECT_EQ(worker.asks, c.asks);
    EXPECT_EQ(worker.waits, std::vector<unsigned>(c.waits, 3000));
    EXPECT_EQ(worker.terminated, c.terminated);
    EXPECT_EQ(worker.released, c.stopped);
  }
}

TEST(PortScanProbe, ATalkingDeviceIsSentNothingAndASilentOneIsAskedWhoItIs) {
  struct Case {
    const char* what;
    std::vector<std::string> reads;
    ProbeOutcome outcome;
    std::string sent;
  };
  const Case cases[] = {
      {"talks on its own", {"", "^SYSSTART\r\n"}, ProbeOutcome::Talking, ""},
      {"module in setting mode",
       {"", "", "", "at\r\r\nOK\r\n", "ati\r\r\nSIEMENS\r\nTC65\r\nREVISION 02.000\r\n\r\nOK\r\n"},
       ProbeOutcome::Identified, "at\rati\r"},
      {"nothing on the line", {}, ProbeOutcome::NotIdentified, "at\rati\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedLine line(c.reads);
    EXPECT_EQ(ProbeModule(line), c.outcome);
    EXPECT_EQ(line.sent, c.sent);
  }
}

}  // namespace
