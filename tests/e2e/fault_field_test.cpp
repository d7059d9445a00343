// Faults a technician meets in the field, each on the real program: whatever goes wrong,
// the update ends in the one message that names it, and "Download Firmware is successful"
// only when the module received the firmware. fault_field.sh sets each case up (module,
// folder, reports) in its own Wine prefix, runs one test here, and checks the module's
// store and the folder afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../win/link_simulated_module.h"
#include "program_windows.h"

namespace {

constexpr char kFailureCaption[] = "ERROR";
constexpr char kVersionError[] = "Module version error.";
constexpr char kCopyError[] = "Update fireware failure(Copy file error)";
constexpr char kScanCaption[] = "KV730/KV731-Update  Scan COM Port";
enum ScanControl { kScanList = 1009, kScanLabel = 1010, kScanOk = 1011 };

// A whole update is 134 one-second ticks; a copy-stage failure waits them all. The margin
// covers the revision check, the file work and Wine starting six programs.
constexpr DWORD kWholeUpdateMs = 134000 + 15000;
// The port stage's 51 ticks, when it is this run's report that cannot be had.
constexpr DWORD kRefusedCopyStageMs = 51000 + 10000;
// The revision check gives up after 12 reads of 500 ms and 11 pauses of 50 ms (6.55 s);
// the rest is the port's opening and Wine's timers.
constexpr DWORD kEndlessAnswerMs = 6550 + 1450;
// A refusal before any program starts comes right after the revision check (one read).
constexpr DWORD kRefusedAtOnceMs = 3000;

struct FaultCase {
  const char* name;  // as fault_field.sh asks for it
  const char* caption;
  const char* text;
  DWORD limitMs;  // from the press of Update to the message
};

void PrintTo(const FaultCase& fault, std::ostream* out) { *out << fault.name; }

const FaultCase kUpdateFaults[] = {
    {"ModuleRemovedDuringTheCopy", kFailureCaption, kCopyError, kWholeUpdateMs},
    {"CopyToolMissing", kFailureCaption, kCopyError, kWholeUpdateMs},
    {"FirmwareFolderMissing", kFailureCaption, kCopyError, kWholeUpdateMs},
    {"FirmwareFolderEmpty", kFailureCaption, kCopyError, kWholeUpdateMs},
    {"EarlierReportThatCannotBeReplaced", kFailureCaption,
     "Update fireware failure(Update.txt not opened)", kRefusedCopyStageMs},
    {"EndlessAnswerToTheRevisionCheck", kFailureCaption, kVersionError, kEndlessAnswerMs},
    {"FolderWithSpacesPercentAndAmpersand", "KV730/KV731", "Download Firmware is successful",
     kWholeUpdateMs},
    {"FolderOver200Characters", kFailureCaption,
     "Update fireware failure(Port.txt not opened)", kRefusedAtOnceMs},
};

struct Outcome {
  MessageBoxSeen box;
  DWORD elapsedMs = 0;
};

// Presses Update on the selected port and waits for the message the update ends in.
Outcome PressUpdateAndWait(Program& program, DWORD limitMs) {
  Outcome outcome;
  const DWORD pressed = GetTickCount();
  PostMessageA(program.Panel(), WM_COMMAND, MAKEWPARAM(kUpdateButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(program.Control(kUpdateButton)));
  // Waited for longer than the limit, so that a late message is still read and named.
  outcome.box = WaitForMessageBox(program.ProcessId(), limitMs + 60000);
  outcome.elapsedMs = GetTickCount() - pressed;
  std::printf("shown: %s: \"%s\" after %.1f s\n", outcome.box.caption.c_str(),
              outcome.box.text.c_str(), outcome.elapsedMs / 1000.0);
  return outcome;
}

// After the message is closed the window is as before the update: status line empty,
// nothing else open, and Exit ends the program with code 0.
void CloseAndExit(Program& program, const MessageBoxSeen& box) {
  CloseMessageBox(box);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(program.Control(kStatusLine)).empty(); }, 3000));
  EXPECT_EQ(TopLevelWindows(program.ProcessId(), nullptr),
            std::vector<HWND>{program.MainWindow()});
  PostMessageA(program.MainWindow(), WM_COMMAND, kMenuExit, 0);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

// The adapter is pulled out: the simulated module behind COM7 ends and takes its port
// with it. fault_field.sh hands over the simulator's process id.
void UnplugTheAdapter() {
  const char* pid = std::getenv("KV_E2E_MODULE_PID");
  ASSERT_NE(pid, nullptr) << "KV_E2E_MODULE_PID is not set";
  ASSERT_TRUE(link_test::StartLinuxProgram(std::string("/bin/kill -TERM ") + pid));
  ASSERT_TRUE(WaitUntil(
      [] {
        HANDLE port = CreateFileA("\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (port == INVALID_HANDLE_VALUE) return true;
        CloseHandle(port);
        return false;
      },
      5000))
      << "COM7 still opens";
}

class UpdateFault : public ::testing::TestWithParam<FaultCase> {};

}  // namespace

TEST_P(UpdateFault, EndsInItsOwnMessageWithinItsTime) {
  const FaultCase& fault = GetParam();
  Program program;
  ASSERT_NE(program.MainWindow(), nullptr);
  ASSERT_EQ(ComboRows(program.Control(kPortList)), std::vector<std::string>{"COM7:"});

  const Outcome outcome = PressUpdateAndWait(program, fault.limitMs);
  ASSERT_NE(outcome.box.box, nullptr);
  Screenshot((std::string("fault-") + fault.name).c_str(), outcome.box.box);
  EXPECT_EQ(outcome.box.caption, fault.caption);
  EXPECT_EQ(outcome.box.text, fault.text);
  EXPECT_LE(outcome.elapsedMs, fault.limitMs);
  CloseAndExit(program, outcome.box);
}

INSTANTIATE_TEST_SUITE_P(FaultField, UpdateFault, ::testing::ValuesIn(kUpdateFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(FaultField, UnpluggedAdapterScansAsOpenFailedAndUpdateEndsInModuleVersionError) {
  Program program;
  ASSERT_NE(program.MainWindow(), nullptr);
  ASSERT_EQ(ComboRows(program.Control(kPortList)), std::vector<std::string>{"COM7:"});
  UnplugTheAdapter();

  PostMessageA(program.Panel(), WM_COMMAND, MAKEWPARAM(kScanButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(program.Control(kScanButton)));
  HWND dialog = WaitForTopLevelWindow(program.ProcessId(), kScanCaption, 5000);
  ASSERT_NE(dialog, nullptr);
  // A port that does not open answers nothing at once; the worker's two pauses remain.
  EXPECT_TRUE(WaitUntil(
      [&] { return TextOf(GetDlgItem(dialog, kScanLabel)) == "Complete Scan."; }, 5000));
  EXPECT_EQ(ListBoxRows(GetDlgItem(dialog, kScanList)),
            (std::vector<std::string>{"Scanning COM7...[Open failed]", "Scanning Completed."}));
  Screenshot("fault-UnpluggedAdapter-scan", dialog);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kScanOk, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, kScanOk)));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  EXPECT_EQ(SendMessageA(program.Control(kPortList), CB_GETCURSEL, 0, 0), 0);

  const Outcome outcome = PressUpdateAndWait(program, kRefusedAtOnceMs);
  ASSERT_NE(outcome.box.box, nullptr);
  Screenshot("fault-UnpluggedAdapter", outcome.box.box);
  EXPECT_EQ(outcome.box.caption, kFailureCaption);
  EXPECT_EQ(outcome.box.text, kVersionError);
  EXPECT_LE(outcome.elapsedMs, kRefusedAtOnceMs);
  CloseAndExit(program, outcome.box);
}
