// What the tool relies on from Windows (and from Wine, where the tests run).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "ui/message_pump_win32.h"
#include "ui/port_list_win32.h"

TEST(Platform, AMissingSerialPortFailsToOpenAndItsHandleReadsAndWritesNothing) {
  HANDLE port = CreateFileA("\\\\.\\COM9", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_EQ(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  char buffer[16];
  std::memset(buffer, 0, sizeof buffer);
  DWORD count = 0;
  EXPECT_FALSE(ReadFile(port, buffer, sizeof buffer - 1, &count, nullptr));
  EXPECT_EQ(count, 0u);
  for (char c : buffer) EXPECT_EQ(c, 0);
  EXPECT_FALSE(WriteFile(port, "at\r", 3, &count, nullptr));
}

TEST(Platform, SortedComboBoxKeepsRowsInAlphabeticalOrder) {
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100,
                               100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(combo, nullptr);
  ComboPortList list(combo);
  EXPECT_EQ(list.SelectedRow(), -1);
  list.AddRow("COM3:");
  list.AddRow("COM10:");
  list.SelectRow(0);
  EXPECT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.RowText(0), "COM10:");
  EXPECT_EQ(list.RowText(1), "COM3:");
  EXPECT_EQ(list.RowText(2), "");
  EXPECT_EQ(list.SelectedRow(), 0);
  DestroyWindow(combo);
}

namespace {
int g_commands = 0;
LRESULT CALLBACK CountCommands(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_COMMAND) ++g_commands;
  return DefWindowProcA(window, message, w, l);
}
}  // namespace

TEST(Platform, PauseServicingWindowsDropsPostedCommandsAndKeepsTheQuitRequest) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = CountCommands;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "PumpProbe";
  RegisterClassA(&cls);
  HWND window = CreateWindowExA(0, "PumpProbe", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, cls.hInstance, nullptr);
  ASSERT_NE(window, nullptr);

  PostMessageA(window, WM_COMMAND, 1007, 0);
  PostQuitMessage(7);
  const DWORD start = GetTickCount();
  PauseServicingWindows(200);
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 190u);
  EXPECT_LT(took, 1000u);
  EXPECT_EQ(g_commands, 0);

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(window);
}
