// The Update command on a panel of its own: it reads the port from the panel's port list,
// writes the panel's status line and shows its message box over the panel.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "res/resource.h"
#include "update/update_command_win32.h"

namespace {

struct SeenBox {
  std::string text;
  std::string caption;
  HWND owner = nullptr;
};

// Waits for the command's message box, notes what it says and closes it with OK.
SeenBox CloseMessageBox() {
  SeenBox seen;
  for (int tries = 0; tries < 500; ++tries, Sleep(20)) {
    HWND box = FindWindowA("#32770", nullptr);
    char text[256] = {};
    // The box is found before its text is in place.
    if (!box || !GetDlgItemTextA(box, 0xFFFF, text, sizeof text)) continue;
    seen.text = text;
    GetWindowTextA(box, text, sizeof text);
    seen.caption = text;
    seen.owner = GetWindow(box, GW_OWNER);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    break;
  }
  return seen;
}

TEST(UpdateCommandPanel, PortWithoutModuleEndsInTheVersionErrorAndAnEmptyStatusLine) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND panel = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 200, 200, nullptr, nullptr,
                               instance, nullptr);
  ASSERT_NE(panel, nullptr);
  HWND ports = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST | CBS_SORT, 0, 0,
                               100, 100, panel, reinterpret_cast<HMENU>(IDC_PORT_LIST), instance,
                               nullptr);
  HWND status = CreateWindowExA(0, "STATIC", "earlier text", WS_CHILD, 0, 120, 100, 20, panel,
                                reinterpret_cast<HMENU>(IDC_STATUS), instance, nullptr);
  // COM9 has no device behind it in the test's Wine prefix.
  SendMessageA(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("COM9:"));
  SendMessageA(ports, CB_SETCURSEL, 0, 0);

  SeenBox seen;
  std::thread closer([&seen] { seen = CloseMessageBox(); });
  UpdateCommand::Run(panel);
  closer.join();

  EXPECT_EQ(seen.text, "Module version error.");
  EXPECT_EQ(seen.caption, "ERROR");
  EXPECT_EQ(seen.owner, panel);
  char text[64] = {};
  GetWindowTextA(status, text, sizeof text);
  EXPECT_STREQ(text, "");
  DestroyWindow(panel);
}

}  // namespace
