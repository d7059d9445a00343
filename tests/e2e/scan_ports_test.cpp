// The scan for the module's port as the technician meets it: COM3 and COM7 in the registry,
// nothing behind COM3, the module on COM7 (in its setting mode, or talking). Run by
// scan_ports.sh.
#include <gtest/gtest.h>

#include "program_windows.h"

namespace {

constexpr char kScanCaption[] = "KV730/KV731-Update  Scan COM Port";
enum ScanControl { kScanList = 1009, kScanLabel = 1010, kScanOk = 1011 };

int SelectedPort(Program& program) {
  return static_cast<int>(SendMessageA(program.Control(kPortList), CB_GETCURSEL, 0, 0));
}

// Presses Scan COM Port and returns the scan dialog once it shows.
HWND StartScan(Program& program) {
  if (program.MainWindow() == nullptr) return nullptr;
  HWND button = program.Control(kScanButton);
  PostMessageA(program.Panel(), WM_COMMAND, MAKEWPARAM(kScanButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
  return WaitForTopLevelWindow(program.ProcessId(), kScanCaption, 5000);
}

std::string LabelOf(HWND dialog) { return TextOf(GetDlgItem(dialog, kScanLabel)); }

bool WaitForLabel(HWND dialog, const char* text, DWORD timeoutMs) {
  return WaitUntil([&] { return LabelOf(dialog) == text; }, timeoutMs);
}

void PressOk(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kScanOk, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, kScanOk)));
}

bool WaitForEnd(HWND dialog, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(dialog); }, timeoutMs);
}

// Scans both ports and returns the dialog once it says the scan is complete.
HWND ScanToTheEnd(Program& program) {
  HWND dialog = StartScan(program);
  if (dialog == nullptr) return nullptr;
  EXPECT_TRUE(WaitForLabel(dialog, "Complete Scan.", 20000)) << LabelOf(dialog);
  return dialog;
}

void Exit(Program& program) {
  PostMessageA(program.MainWindow(), WM_COMMAND, kMenuExit, 0);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

}  // namespace

TEST(ScanPorts, FinishedScanListsBothPortsAndOkSelectsTheModulesPort) {
  Program program;
  HWND dialog = ScanToTheEnd(program);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ComboRows(program.Control(kPortList)), (std::vector<std::string>{"COM3:", "COM7:"}));
  EXPECT_EQ(ListBoxRows(GetDlgItem(dialog, kScanList)),
            (std::vector<std::string>{"Scanning COM3...[Open failed]",
                                      "Scanning COM7...[Open succeed]", "Scanning Completed."}));
  Screenshot("scan-finished", dialog);
  PressOk(dialog);
  ASSERT_TRUE(WaitForEnd(dialog, 5000));
  EXPECT_EQ(SelectedPort(program), 1);
  Exit(program);
}

TEST(ScanPorts, OkDuringTheScanBreaksItOffWithinThreeSecondsAndSelectsRowZero) {
  Program program;
  SendMessageA(program.Control(kPortList), CB_SETCURSEL, 1, 0);
  HWND dialog = StartScan(program);
  ASSERT_NE(dialog, nullptr);

  ASSERT_TRUE(WaitForLabel(dialog, "Scanning COM7...", 10000)) << LabelOf(dialog);
  Sleep(500);  // into the silence check on COM7
  const DWORD pressedAt = GetTickCount();
  PressOk(dialog);
  EXPECT_TRUE(WaitForLabel(dialog, "Break Scan.", 1000)) << LabelOf(dialog);
  EXPECT_EQ(ListBoxRows(GetDlgItem(dialog, kScanList)),
            std::vector<std::string>{"Scanning COM3...[Open failed]"});
  ASSERT_TRUE(WaitForEnd(dialog, 35000));
  const DWORD took = GetTickCount() - pressedAt;
  // Three seconds of "Break Scan."; the worker, asked to stop, needs no further try.
  EXPECT_GE(took, 2900u);
  EXPECT_LT(took, 6000u);
  // COM7 was being probed, so no port had answered yet: row 0.
  EXPECT_EQ(SelectedPort(program), 0);
  Exit(program);
}

TEST(ScanPorts, ScanThenUpdateOnTheSelectedPort) {
  Program program;
  HWND dialog = ScanToTheEnd(program);
  ASSERT_NE(dialog, nullptr);
  PressOk(dialog);
  ASSERT_TRUE(WaitForEnd(dialog, 5000));
  ASSERT_EQ(SelectedPort(program), 1);

  PostMessageA(program.Panel(), WM_COMMAND, MAKEWPARAM(kUpdateButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(program.Control(kUpdateButton)));
  const MessageBoxSeen box = WaitForMessageBox(program.ProcessId(), 200000);
  EXPECT_EQ(box.caption, "KV730/KV731");
  EXPECT_EQ(box.text, "Download Firmware is successful");
  CloseMessageBox(box);
  Exit(program);
}

TEST(ScanPortsTalking, ADeviceNotInSettingModeEndsTheScanAndLeavesTheSelection) {
  Program program;
  SendMessageA(program.Control(kPortList), CB_SETCURSEL, 1, 0);
  HWND dialog = StartScan(program);
  ASSERT_NE(dialog, nullptr);

  const MessageBoxSeen box = WaitForMessageBox(program.ProcessId(), 10000);
  EXPECT_EQ(box.caption, "ERROR");
  EXPECT_EQ(box.text, "Please enter setting mode.");
  EXPECT_EQ(GetWindow(box.box, GW_OWNER), dialog);
  EXPECT_EQ(ListBoxRows(GetDlgItem(dialog, kScanList)),
            std::vector<std::string>{"Scanning COM3...[Open failed]"});
  CloseMessageBox(box);
  EXPECT_TRUE(WaitForEnd(dialog, 5000)) << "the dialog did not end by itself";
  EXPECT_EQ(SelectedPort(program), 1);
  Exit(program);
}
