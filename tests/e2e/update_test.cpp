// The whole update, as the technician sees it, against the simulated module on COM7 and the
// module-exchange stand-ins: about two and a quarter minutes. Run by update.sh.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "program_windows.h"

namespace {
// The status line's texts in the order the update steps through them, one a second.
const std::vector<std::string> kTickerTexts = {
    "Update now! Please Wait.",     "Update now! Please Wait..",
    "Update now! Please Wait...",   "Update now! Please Wait....",
    "Update now! Please Wait.....",
};
constexpr int kTicksOfASuccessfulUpdate = 134;

int TickerIndex(const std::string& text) {
  for (size_t i = 0; i < kTickerTexts.size(); ++i) {
    if (kTickerTexts[i] == text) return static_cast<int>(i);
  }
  return -1;
}

struct StatusWatch {
  int steps = 0;                // ticker texts seen after the first
  std::vector<std::string> outOfOrder;
  DWORD longestStepMs = 0;      // between two ticker texts
  DWORD slowestAnswerMs = 0;    // of the status line to WM_GETTEXT, once the ticks run
  bool everHung = false;        // as Windows judges a window "Not Responding"
};

// Every click and key a restless technician might give while the update runs, and the
// same through messages from another program.
void PressUpdateAgainInEveryWay(HWND panel) {
  HWND update = GetDlgItem(panel, kUpdateButton);
  ClickOn(update);
  PressKey(VK_RETURN);
  PressKey(VK_ESCAPE);
  PostMessageA(panel, WM_COMMAND, kUpdateButton, 0);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(update, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}
}  // namespace

TEST(FullUpdate, StatusStepsEachSecondWhileTheWindowAnswersThenTheFirmwareIsOnTheModule) {
  Program program;
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  HWND panel = program.Panel();
  HWND ports = GetDlgItem(panel, kPortList);
  HWND status = GetDlgItem(panel, kStatusLine);
  ASSERT_EQ(ComboRows(ports), (std::vector<std::string>{"COM10:", "COM7:"}));

  // The module answers on COM7, the second row: the technician picks it and clicks Update.
  SendMessageA(ports, CB_SETCURSEL, 1, 0);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 3000));
  ClickOn(GetDlgItem(panel, kUpdateButton));

  StatusWatch watch;
  MessageBoxSeen box;
  std::string last;
  DWORD lastStepAt = 0;
  bool pressedAgain = false;
  bool photographed = false;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 200000) {
    const DWORD asked = GetTickCount();
    const std::string text = TextOf(status);
    const DWORD now = GetTickCount();
    watch.everHung = watch.everHung || IsHungAppWindow(main);
    if (watch.steps > 0 && now - asked > watch.slowestAnswerMs) watch.slowestAnswerMs = now - asked;

    if (text != last && TickerIndex(text) >= 0) {
      if (TickerIndex(last) >= 0) {
        if (TickerIndex(text) != (TickerIndex(last) + 1) % 5) {
          watch.outOfOrder.push_back("\"" + last + "\" then \"" + text + "\"");
        }
        ++watch.steps;
        if (now - lastStepAt > watch.longestStepMs) watch.longestStepMs = now - lastStepAt;
      }
      lastStepAt = now;
    }
    last = text;

    if (watch.steps == 5 && !photographed) {
      Screenshot("update-in-progress", main);
      photographed = true;
    }
    if (watch.steps == 8 && !pressedAgain) {
      PressUpdateAgainInEveryWay(panel);
      pressedAgain = true;
    }
    if (MessageBoxOf(program.ProcessId()) != nullptr) {
      // The status line is read while the box shows: it must already be empty.
      EXPECT_EQ(TextOf(status), "");
      box = WaitForMessageBox(program.ProcessId(), 1000);
      break;
    }
    Sleep(100);
  }
  ASSERT_NE(box.box, nullptr) << "no outcome within 200 s; the status line said \"" << last
                              << "\"";
  Screenshot("update-finished", box.box);
  EXPECT_EQ(box.caption, "KV730/KV731");
  EXPECT_EQ(box.text, "Download Firmware is successful");

  std::printf("status line: %d steps, longest %lu ms; slowest answer %lu ms\n", watch.steps,
              watch.longestStepMs, watch.slowestAnswerMs);
  // The last tick's text is cleared at once, so the watch may miss it; a second update
  // would have added dozens.
  EXPECT_GE(watch.steps, kTicksOfASuccessfulUpdate - 1);
  EXPECT_LE(watch.steps, kTicksOfASuccessfulUpdate) << "one update, and one only";
  EXPECT_TRUE(watch.outOfOrder.empty()) << watch.outOfOrder.front();
  EXPECT_LT(watch.longestStepMs, 2500u) << "the status line stalled";
  EXPECT_LT(watch.slowestAnswerMs, 500u) << "the window was slow to answer during the update";
  EXPECT_FALSE(watch.everHung) << "Windows took the window for hung during the update";
  EXPECT_TRUE(pressedAgain);

  // What was clicked and pressed during the update is not done afterwards either.
  CloseMessageBox(box);
  Sleep(3000);
  EXPECT_EQ(TextOf(status), "");
  EXPECT_EQ(TopLevelWindows(program.ProcessId(), nullptr), std::vector<HWND>{main});

  PostMessageA(main, WM_COMMAND, kMenuExit, 0);
  EXPECT_EQ(program.WaitForExit(5000), 0u);
}
