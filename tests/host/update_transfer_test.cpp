// The firmware transfer against a recording stand-in for Windows: which programs start,
// which files are written with what, how long it waits, and how the reports are judged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "update/firmware_transfer.h"

namespace {

using Trace = std::vector<std::string>;

// Plays Windows, the command interpreter and the module-exchange programs: starting a
// stage's command file (C:\Tool\Port.bat, quoted) leaves the report the stage writes
// beside it (C:\Tool\Port.txt), if the stage is given one.
class RecordingTools final : public TransferTools {
 public:
  std::string programPath = "C:\\Tool\\KV730Update.exe";
  std::map<std::string, std::string> stageReports;  // by command file name ("Port.bat")
  std::map<std::string, std::string> files;         // what lies on the disk
  std::set<std::string> undeletable;
  Trace trace;
  unsigned clock = 0;

  std::string ProgramPath() override { return programPath; }
  void Run(const std::string& commandLine) override {
    trace.push_back("run " + commandLine);
    const std::string::size_type slash = commandLine.rfind('\\');
    if (commandLine.front() != '"' || slash == std::string::npos) return;
    const std::string commandFile = commandLine.substr(slash + 1, commandLine.size() - slash - 2);
    auto report = stageReports.find(commandFile);
    if (report == stageReports.end()) return;
    const std::string path = commandLine.substr(1, commandLine.size() - 5);  // drops bat"
    files[path + "txt"] = report->second;
  }
  void WriteCommandFile(const std::string& path, const std::string& text) override {
    trace.push_back("write " + path + ": " + text);
    files[path] = text;
  }
  bool RemoveReport(const std::string& path) override {
    trace.push_back("remove " + path);
    if (undeletable.count(path)) return false;
    files.erase(path);
    return true;
  }
  bool ReadReport(const std::string& path, char* buffer, std::size_t count) override {
    trace.push_back("read " + path + " " + std::to_string(count));
    auto file = files.find(path);
    if (file == files.end()) return false;
    std::memcpy(buffer, file->second.data(), std::min(count, file->second.size()));
    return true;
  }
  // Consecutive one-second pauses show up as one "wait n" step.
  void Pause(unsigned milliseconds) override {
    ASSERT_EQ(milliseconds, 1000u);
    clock += milliseconds;
    if (trace.empty() || trace.back().rfind("wait ", 0) != 0) trace.push_back("wait 0");
    trace.back() = "wait " + std::to_string(std::stoi(trace.back().substr(5)) + 1);
  }
};

class RecordingStatusLine final : public StatusLine {
 public:
  explicit RecordingStatusLine(const RecordingTools& tools) : tools_(tools) {}
  void SetText(const char* text) override {
    texts.push_back(text);
    times.push_back(tools_.clock);
  }
  std::vector<std::string> texts;
  std::vector<unsigned> times;

 private:
  const RecordingTools& tools_;
};

const char kPortReport[] = "C:\\Tool\\Port.txt";
const char kCopyReport[] = "C:\\Tool\\Update.txt";
const char kPortSuccess[] = "Port COM3 opened successfully\r\n";
const char kCopySuccess[] = "3 file(s) copied\r\n";

const Trace kPortStage = {
    "run REGSVR32.EXE -s MESShellExt.dll",
    "wait 35",
    "run MESServer.exe -RegServer",
    "remove C:\\Tool\\Port.txt",
    "write C:\\Tool\\Port.bat: \"C:\\Tool\\MESPort.exe\" COM3 > \"C:\\Tool\\Port.txt\"",
    "wait 5",
    "run \"C:\\Tool\\Port.bat\"",
    "wait 3",
    "read C:\\Tool\\Port.txt 1024",
};
const Trace kCopyStage = {
    "remove C:\\Tool\\Update.txt",
    "write C:\\Tool\\Update.bat: \"C:\\Tool\\MESXCopy.exe\" \"C:\\Tool\\firmware\" mod:a:/ > "
    "\"C:\\Tool\\Update.txt\"",
    "wait 3",
    "run \"C:\\Tool\\Update.bat\"",
    "wait 80",
    "read C:\\Tool\\Update.txt 8192",
};
const Trace kFinish = {
    "run MESServer.exe -UnregServer",
    "wait 8",
    "run REGSVR32.EXE -s /u MESShellExt.dll",
};

Trace Joined(std::initializer_list<Trace> parts) {
  Trace all;
  for (const Trace& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A stage whose report is nullptr writes none.
struct TransferRun {
  RecordingTools tools;
  RecordingStatusLine status{tools};
  TransferResult result;

  TransferRun(const char* portReport, const char* copyReport, const std::string& port = "COM3",
      void (*prepare)(RecordingTools&) = nullptr) {
    if (portReport) tools.stageReports["Port.bat"] = portReport;
    if (copyReport) tools.stageReports["Update.bat"] = copyReport;
    if (prepare) prepare(tools);
    result = FirmwareTransfer(port, tools, status);
  }
  int Ticks() const { return static_cast<int>(status.texts.size()); }
};

struct OutcomeCase {
  const char* name;
  const char* portReport;
  const char* copyReport;
  TransferResult result;
  int ticks;
  Trace trace;
};

TEST(UpdateTransfer, EachOutcomeRunsItsStagesWaitsAndUnregistersAgain) {
  const OutcomeCase cases[] = {
      {"success", kPortSuccess, kCopySuccess, TransferResult::Success, 134,
       Joined({kPortStage, kCopyStage, kFinish})},
      {"no port report", nullptr, kCopySuccess, TransferResult::PortReportNotOpened, 51,
       Joined({kPortStage, kFinish})},
      {"port error", "Port COM3: no answer from the module\r\n", kCopySuccess,
       TransferResult::PortError, 51, Joined({kPortStage, kFinish})},
      {"no copy report", kPortSuccess, nullptr, TransferResult::UpdateReportNotOpened, 134,
       Joined({kPortStage, kCopyStage, kFinish})},
      {"copy failed", kPortSuccess, "File not found - firmware\r\n", TransferResult::CopyFailed,
       134, Joined({kPortStage, kCopyStage, kFinish})},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    TransferRun run(c.portReport, c.copyReport);
    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(run.Ticks(), c.ticks);
    EXPECT_EQ(run.tools.clock, c.ticks * 1000u);
    EXPECT_EQ(run.tools.trace, c.trace);
  }
}

TEST(UpdateTransfer, StatusLineGainsADotEachSecondStartingWithTwo) {
  TransferRun run(kPortSuccess, kCopySuccess);
  ASSERT_EQ(run.Ticks(), 134);
  const std::vector<std::string> firstSix(run.status.texts.begin(),
                                          run.status.texts.begin() + 6);
  EXPECT_EQ(firstSix, (std::vector<std::string>{
                          "Update now! Please Wait..", "Update now! Please Wait...",
                          "Update now! Please Wait....", "Update now! Please Wait.....",
                          "Update now! Please Wait.", "Update now! Please Wait.."}));
  for (int k = 0; k < run.Ticks(); ++k) {
    EXPECT_EQ(run.status.times[k], (k + 1) * 1000u) << "tick " << k;
  }
  // The count runs on through the closing stage: the last tick is k = 133, five dots.
  EXPECT_EQ(run.status.texts.back(), "Update now! Please Wait.....");
}

struct ReportCase {
  const char* name;
  std::string portReport;
  std::string copyReport;
  TransferResult result;
};

TEST(UpdateTransfer, ReportsAreJudgedOnlyOnTheirFirstBytes) {
  const std::string portPadding(1024 - std::strlen("successfully"), ' ');
  const std::string copyPadding(8192 - std::strlen("1 file(s) copied"), ' ');
  const ReportCase cases[] = {
      {"13 copied holds 3 copied", kPortSuccess, "13 file(s) copied", TransferResult::Success},
      {"12 copied", kPortSuccess, "12 file(s) copied", TransferResult::Success},
      {"0 copied", kPortSuccess, "0 file(s) copied", TransferResult::CopyFailed},
      {"20 copied", kPortSuccess, "20 file(s) copied", TransferResult::CopyFailed},
      {"case matters", kPortSuccess, "1 File(s) copied", TransferResult::CopyFailed},
      {"empty copy report", kPortSuccess, "", TransferResult::CopyFailed},
      {"count ends at byte 8192", kPortSuccess, copyPadding + "1 file(s) copied",
       TransferResult::Success},
      {"count past byte 8192", kPortSuccess, copyPadding + " 1 file(s) copied",
       TransferResult::CopyFailed},
      {"successfully ends at byte 1024", portPadding + "successfully", kCopySuccess,
       TransferResult::Success},
      {"successfully past byte 1024", portPadding + " successfully", kCopySuccess,
       TransferResult::PortError},
      {"case matters in the port report", "Successfully", kCopySuccess,
       TransferResult::PortError},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TransferRun(c.portReport.c_str(), c.copyReport.c_str()).result, c.result);
  }
}

TEST(UpdateTransfer, CommandFilesQuoteEveryPathSoSpacesSurvive) {
  TransferRun run(kPortSuccess, kCopySuccess, "COM10", [](RecordingTools& tools) {
    tools.programPath = "C:\\Program Files\\Tool\\KV730Update.exe";
  });
  EXPECT_EQ(run.tools.files["C:\\Program Files\\Tool\\Port.bat"],
            "\"C:\\Program Files\\Tool\\MESPort.exe\" COM10 > "
            "\"C:\\Program Files\\Tool\\Port.txt\"");
  EXPECT_EQ(run.tools.files["C:\\Program Files\\Tool\\Update.bat"],
            "\"C:\\Program Files\\Tool\\MESXCopy.exe\" \"C:\\Program Files\\Tool\\firmware\" "
            "mod:a:/ > \"C:\\Program Files\\Tool\\Update.txt\"");
  const Trace& trace = run.tools.trace;
  EXPECT_NE(std::find(trace.begin(), trace.end(), "run \"C:\\Program Files\\Tool\\Port.bat\""),
            trace.end());
  EXPECT_NE(std::find(trace.begin(), trace.end(), "run \"C:\\Program Files\\Tool\\Update.bat\""),
            trace.end());
}

TEST(UpdateTransfer, PercentSignsAreDoubledInCommandFilesOnly) {
  TransferRun run(nullptr, nullptr, "COM3", [](RecordingTools& tools) {
    tools.programPath = "C:\\100%\\Tool\\KV730Update.exe";
  });
  EXPECT_EQ(run.tools.files["C:\\100%\\Tool\\Port.bat"],
            "\"C:\\100%%\\Tool\\MESPort.exe\" COM3 > \"C:\\100%%\\Tool\\Port.txt\"");
  const Trace& trace = run.tools.trace;
  // The call is a program start, not a line of a command file: it keeps its single %.
  EXPECT_NE(std::find(trace.begin(), trace.end(), "run \"C:\\100%\\Tool\\Port.bat\""),
            trace.end());
}

TEST(UpdateTransfer, ReportsOfAnEarlierRunAreNeverTakenForThisRunsOutcome) {
  // The stage's command file ran, but wrote nothing this time.
  TransferRun stalePort(nullptr, kCopySuccess, "COM3", [](RecordingTools& tools) {
    tools.files[kPortReport] = kPortSuccess;
  });
  EXPECT_EQ(stalePort.result, TransferResult::PortReportNotOpened);

  TransferRun staleCopy(kPortSuccess, nullptr, "COM3", [](RecordingTools& tools) {
    tools.files[kCopyReport] = kCopySuccess;
  });
  EXPECT_EQ(staleCopy.result, TransferResult::UpdateReportNotOpened);
}

TEST(UpdateTransfer, AStageWhoseOldReportCannotBeRemovedIsNotStartedNorJudged) {
  TransferRun port(kPortSuccess, kCopySuccess, "COM3", [](RecordingTools& tools) {
    tools.files[kPortReport] = kPortSuccess;
    tools.undeletable.insert(kPortReport);
  });
  EXPECT_EQ(port.result, TransferResult::PortReportNotOpened);
  EXPECT_EQ(port.tools.trace, Joined({Trace(kPortStage.begin(), kPortStage.begin() + 4),
                                      kFinish}));
  EXPECT_EQ(port.Ticks(), 43);

  TransferRun copy(kPortSuccess, kCopySuccess, "COM3", [](RecordingTools& tools) {
    tools.files[kCopyReport] = kCopySuccess;
    tools.undeletable.insert(kCopyReport);
  });
  EXPECT_EQ(copy.result, TransferResult::UpdateReportNotOpened);
  EXPECT_EQ(copy.tools.trace, Joined({kPortStage, Trace{kCopyStage[0]}, kFinish}));
  EXPECT_EQ(copy.Ticks(), 51);
}

struct RefusalCase {
  const char* name;
  std::string programPath;
  std::string port;
  TransferResult result;  // Success: not refused
};

TEST(UpdateTransfer, WhatCannotBeWrittenSafelyEndsTheTransferBeforeAnyProgramStarts) {
  // The copy-stage line holds the folder three times and 51 other characters; 511 of
  // them fit the working buffer, so a folder of 153 characters is the longest served.
  const auto folder = [](std::size_t length) {
    return "C:\\" + std::string(length - 3, 'f') + "\\KV730Update.exe";
  };
  const RefusalCase cases[] = {
      {"COM10", "C:\\Tool\\KV730Update.exe", "COM10", TransferResult::Success},
      {"longest folder", folder(153), "COM3", TransferResult::Success},
      {"folder one longer", folder(154), "COM3", TransferResult::PortReportNotOpened},
      {"folder of 300", folder(300), "COM3", TransferResult::PortReportNotOpened},
      {"program path not had whole", "", "COM3", TransferResult::PortReportNotOpened},
      {"empty port name", "C:\\Tool\\KV730Update.exe", "", TransferResult::PortError},
      {"command after the name", "C:\\Tool\\KV730Update.exe", "COM3&calc",
       TransferResult::PortError},
      {"redirection in the name", "C:\\Tool\\KV730Update.exe", "COM3>x",
       TransferResult::PortError},
      {"space in the name", "C:\\Tool\\KV730Update.exe", "COM 3", TransferResult::PortError},
      {"percent in the name", "C:\\Tool\\KV730Update.exe", "%COM%", TransferResult::PortError},
      {"device path", "C:\\Tool\\KV730Update.exe", "\\\\.\\COM3", TransferResult::PortError},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingTools tools;
    tools.programPath = c.programPath;
    tools.stageReports = {{"Port.bat", kPortSuccess}, {"Update.bat", kCopySuccess}};
    RecordingStatusLine status(tools);
    EXPECT_EQ(FirmwareTransfer(c.port, tools, status), c.result);
    if (c.result != TransferResult::Success) {
      EXPECT_EQ(tools.trace, Trace());
      EXPECT_EQ(tools.clock, 0u);
    }
  }
}

}  // namespace
