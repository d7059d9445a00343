// The technician's whole job, done from outside through KV730Update.exe's windows: scan
// for the module's port, take the port the scan found, Update, and read the message the
// tool ends with. Every step is printed with the time since the demo began, so that a
// person watching the two minutes of the update knows it is alive. One test for each
// bench scripts/demo can lay out; scripts/demo picks the one that fits its bench.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "program_windows.h"

namespace {

constexpr char kScanCaption[] = "KV730/KV731-Update  Scan COM Port";
enum ScanControl { kScanList = 1009, kScanLabel = 1010, kScanOk = 1011 };

// A whole update takes 134 one-second ticks, plus the file work.
constexpr int kTicksOfAWholeUpdate = 134;
constexpr DWORD kLongestUpdateMs = 200000;
constexpr int kTicksBetweenReports = 15;
// The window is photographed when its status line shows a few dots, so that the picture
// tells that the line moves.
constexpr int kTicksBeforeTheUpdatePicture = 3;

// Microseconds since 1970 by the machine's clock, which the demo script shares.
long long NowUs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return static_cast<long long>((ticks.QuadPart - 116444736000000000ULL) / 10);
}

// The demo's start as scripts/demo passes it; the driver's own start otherwise.
long long DemoStartUs() {
  static const long long start = [] {
    const char* given = std::getenv("KV_DEMO_T0_US");
    return given ? std::atoll(given) : NowUs();
  }();
  return start;
}

void Say(const char* format, ...) {
  const long long seconds = (NowUs() - DemoStartUs()) / 1000000;
  std::printf("[%02lld:%02lld] ", seconds / 60, seconds % 60);
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::printf("\n");
  std::fflush(stdout);
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string line;
  for (const std::string& text : texts) line += (line.empty() ? "" : ", ") + text;
  return line;
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string SelectedPort(Program& program) {
  const LRESULT row = SendMessageA(program.Control(kPortList), CB_GETCURSEL, 0, 0);
  const std::vector<std::string> rows = ComboRows(program.Control(kPortList));
  return row >= 0 && row < static_cast<LRESULT>(rows.size()) ? rows[row] : "(none)";
}

struct Job {
  std::vector<std::string> scanRows;
  std::string portTaken;
  MessageBoxSeen message;  // the one the tool ended the job with
};

// Prints, photographs and closes the message box the tool shows now.
void ReadMessage(Program& program, const char* shot, Job& job) {
  job.message = WaitForMessageBox(program.ProcessId(), 1000);
  if (job.message.box == nullptr) return;
  Say("message box \"%s\": %s", job.message.caption.c_str(), job.message.text.c_str());
  Screenshot(shot, job.message.box);
  CloseMessageBox(job.message);
}

// Step 1: Scan COM Port, watched row by row. False when the tool ended the job with a
// message instead (a device that is not in setting mode).
bool Scan(Program& program, Job& job) {
  Say("Step 1: pressing \"Scan COM Port\"");
  PressButton(program.Panel(), kScanButton);
  HWND dialog = WaitForTopLevelWindow(program.ProcessId(), kScanCaption, 5000);
  if (dialog == nullptr) {
    ADD_FAILURE() << "the scan dialog did not open";
    return false;
  }
  std::string label;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 60000) {
    if (MessageBoxOf(program.ProcessId()) != nullptr) {
      ReadMessage(program, "demo-2-scan-message", job);
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
      return false;
    }
    const std::vector<std::string> rows = ListBoxRows(GetDlgItem(dialog, kScanList));
    for (size_t i = job.scanRows.size(); i < rows.size(); ++i) Say("scan: %s", rows[i].c_str());
    job.scanRows = rows;
    const std::string now = TextOf(GetDlgItem(dialog, kScanLabel));
    if (now != label) Say("scan: %s", now.c_str());
    label = now;
    if (label == "Complete Scan.") break;
    Sleep(100);
  }
  if (label != "Complete Scan.") {
    ADD_FAILURE() << "the scan did not complete within a minute";
    return false;
  }
  Screenshot("demo-2-scan", dialog);
  Say("pressing OK in the scan dialog");
  PressButton(dialog, kScanOk);
  if (!WaitUntil([&] { return !IsWindow(dialog); }, 10000)) {
    ADD_FAILURE() << "the scan dialog did not close on OK";
    return false;
  }
  job.portTaken = SelectedPort(program);
  Say("COM Port list now shows %s", job.portTaken.c_str());
  return true;
}

// Announces the files the update leaves in the technician's folder as they appear: they
// are the update's stages, which the window itself shows only as moving dots.
class StageWatch {
 public:
  void Look() {
    for (Stage& stage : stages_) {
      if (stage.seen) continue;
      const std::string path = ToolDir() + "\\" + stage.file;
      if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
      stage.seen = true;
      Say("%s appeared: %s", stage.file, stage.meaning);
    }
  }

 private:
  struct Stage {
    const char* file;
    const char* meaning;
    bool seen;
  };
  Stage stages_[4] = {
      {"Port.bat", "the port stage, MESPort.exe on the chosen port", false},
      {"Port.txt", "MESPort.exe's report", false},
      {"Update.bat", "the copy stage, MESXCopy.exe copies the folder \"firmware\"", false},
      {"Update.txt", "MESXCopy.exe's report, written while it copies", false},
  };
};

// Step 2: Update, watched through the status line until the tool's message.
void Update(Program& program, Job& job) {
  Say("Step 2: pressing \"Update\" (a whole update takes over two minutes)");
  PressButton(program.Panel(), kUpdateButton);
  HWND status = program.Control(kStatusLine);
  StageWatch stages;
  std::string last;
  int ticks = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kLongestUpdateMs) {
    if (MessageBoxOf(program.ProcessId()) != nullptr) {
      stages.Look();
      if (ticks > 0) Say("the status line stepped %d times", ticks);
      ReadMessage(program, "demo-4-outcome", job);
      return;
    }
    const std::string text = TextOf(status);
    if (text != last && !text.empty()) {
      if (last.empty()) {
        Say("status line: %s", text.c_str());
      } else if (++ticks % kTicksBetweenReports == 0) {
        Say("the status line has stepped %d times (a whole update: %d)", ticks,
            kTicksOfAWholeUpdate);
      }
      if (ticks == kTicksBeforeTheUpdatePicture) {
        Screenshot("demo-3-update", program.MainWindow());
      }
    }
    last = text;
    stages.Look();
    Sleep(100);
  }
  ADD_FAILURE() << "no message within " << kLongestUpdateMs / 1000 << " s of pressing Update";
}

// Starts the program, scans, takes the port found, updates, and closes the program.
Job DoTheJob() {
  Job job;
  Say("starting KV730Update.exe from %s", ToolDir().c_str());
  Program program;
  HWND main = program.MainWindow();
  if (main == nullptr) {
    ADD_FAILURE() << "the program's window did not show";
    return job;
  }
  Say("window \"%s\" shows; COM Port list: %s (selected %s)", TextOf(main).c_str(),
      Joined(ComboRows(program.Control(kPortList))).c_str(), SelectedPort(program).c_str());
  Screenshot("demo-1-window", main);
  if (Scan(program, job)) Update(program, job);

  Say("choosing Exit");
  PostMessageA(main, WM_COMMAND, kMenuExit, 0);
  const DWORD code = program.WaitForExit(10000);
  if (code == STILL_ACTIVE) {
    ADD_FAILURE() << "the program did not end on Exit";
  } else {
    Say("KV730Update.exe ended with exit code %lu", code);
  }
  return job;
}

}  // namespace

TEST(Demo, Update) {
  const Job job = DoTheJob();
  EXPECT_EQ(job.scanRows, (std::vector<std::string>{"Scanning COM3...[Open failed]",
                                                    "Scanning COM7...[Open succeed]",
                                                    "Scanning Completed."}));
  EXPECT_EQ(job.portTaken, "COM7:");
  EXPECT_EQ(job.message.caption, "KV730/KV731");
  EXPECT_EQ(job.message.text, "Download Firmware is successful");
}

TEST(Demo, OtherRevision) {
  const Job job = DoTheJob();
  EXPECT_EQ(job.portTaken, "COM7:") << "the module identifies itself whatever its revision";
  EXPECT_EQ(job.message.caption, "ERROR");
  EXPECT_EQ(job.message.text, "Module version error.");
}

TEST(Demo, NotInSettingMode) {
  const Job job = DoTheJob();
  EXPECT_EQ(job.scanRows, std::vector<std::string>{"Scanning COM3...[Open failed]"});
  EXPECT_EQ(job.message.caption, "ERROR");
  EXPECT_EQ(job.message.text, "Please enter setting mode.");
}

TEST(Demo, NoAdapter) {
  const Job job = DoTheJob();
  EXPECT_EQ(job.scanRows,
            (std::vector<std::string>{"Scanning NO...[Open failed]", "Scanning Completed."}));
  EXPECT_EQ(job.portTaken, "NO");
  EXPECT_EQ(job.message.caption, "ERROR");
  EXPECT_EQ(job.message.text, "Module version error.");
}

// Only the steps and, should the program not do what the scenario expects, the failure.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
