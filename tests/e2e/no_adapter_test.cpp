// No adapter in the registry: the port list's one row is "NO", and Update says so at once.
// Run by no_adapter.sh.
#include <gtest/gtest.h>

#include "program_windows.h"

TEST(NoAdapter, EnterPressesUpdateWhichEndsInModuleVersionErrorAndAnEmptyStatusLine) {
  Program program;
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  HWND panel = program.Panel();
  HWND ports = GetDlgItem(panel, kPortList);
  EXPECT_EQ(ComboRows(ports), std::vector<std::string>{"NO"});
  EXPECT_EQ(SendMessageA(ports, CB_GETCURSEL, 0, 0), 0);

  // Enter away from the Update button still presses Update, the panel's default button.
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 3000));
  PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return FocusIn(main) == GetDlgItem(panel, kFileName); }, 3000));
  PressKey(VK_RETURN);

  const MessageBoxSeen box = WaitForMessageBox(program.ProcessId(), 10000);
  EXPECT_EQ(box.caption, "ERROR");
  EXPECT_EQ(box.text, "Module version error.");
  EXPECT_EQ(GetWindow(box.box, GW_OWNER), main);
  EXPECT_FALSE(IsWindowEnabled(main)) << "nothing else can be done while the box shows";
  EXPECT_EQ(TextOf(GetDlgItem(panel, kStatusLine)), "Update now! Please Wait.")
      << "a failure keeps the status line until its box is closed";
  CloseMessageBox(box);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(GetDlgItem(panel, kStatusLine)).empty(); }, 3000));

  PostMessageA(main, WM_COMMAND, kMenuExit, 0);
  EXPECT_EQ(program.WaitForExit(5000), 0u);
}
