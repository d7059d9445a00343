// The program's window as the technician meets it, with two adapter ports in the registry
// (COM7 and COM10) and the module on COM7. Run by window.sh.
#include <gtest/gtest.h>

#include "program_windows.h"

namespace {
struct ExpectedControl {
  int id;  // 0xFFFF for the texts and frames that have none
  const char* className;
  const char* text;
  LONG styleBits;  // must all be set
};

// The panel's fourteen controls in template (and tab) order.
const ExpectedControl kPanelControls[] = {
    {kUpdateButton, "Button", "Update", WS_TABSTOP | BS_DEFPUSHBUTTON},
    {kFileName, "Edit", "", WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL},
    {kFileRoute, "Edit", "", WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL},
    {0xFFFF, "Static", "COM Port :", WS_GROUP | SS_CENTER | SS_CENTERIMAGE},
    {kPortList, "ComboBox", "COM10:", WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT},
    {kScanButton, "Button", "Scan COM Port", WS_TABSTOP},
    {0xFFFF, "Static", "File Name :", WS_GROUP | SS_CENTER | SS_CENTERIMAGE},
    {kSelectFile, "Button", "Select File", WS_TABSTOP},
    {0xFFFF, "Static", "File Route :", WS_GROUP | SS_CENTER | SS_CENTERIMAGE},
    {kStatusLine, "Static", "", WS_GROUP | SS_CENTERIMAGE},
    {0xFFFF, "Static", "", SS_ETCHEDHORZ},
    {kRadioBand, "Button", "Radio / Band", WS_TABSTOP},
    {0xFFFF, "Button", "Step 1", BS_GROUPBOX},
    {0xFFFF, "Button", "Step 2", BS_GROUPBOX},
};

RECT ClientRectOnScreen(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool Covers(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

int WindowsOfClass(const char* className) {
  int count = 0;
  for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (ClassOf(w) == className) ++count;
  }
  return count;
}
}  // namespace

TEST(Window, ClassTitleFixedSizeStyleAndThePanelsControls) {
  Program program;
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ClassOf(main), kAppTitle);
  EXPECT_EQ(TextOf(main), kAppTitle);

  RECT frame;
  GetWindowRect(main, &frame);
  EXPECT_EQ(frame.right - frame.left, 296);
  EXPECT_EQ(frame.bottom - frame.top, 285);
  const LONG style = GetWindowLongA(main, GWL_STYLE);
  const LONG frameBits = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
  EXPECT_EQ(style & frameBits, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)
      << "a title bar, system menu and minimise box; no maximise box, no sizing border";
  EXPECT_NE(GetMenu(main), nullptr);
  // Wine keeps a menu inside its process, so the bar is read from the program's file; the
  // other tests use both commands.
  HMODULE file = LoadLibraryExA((ToolDir() + "\\KV730Update.exe").c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE);
  HMENU menu = LoadMenuA(file, "IDR_MENU1");
  ASSERT_EQ(GetMenuItemCount(menu), 2) << "a menu bar of two commands";
  for (int position : {0, 1}) {
    char text[32] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    EXPECT_EQ(text, std::string(position == 0 ? "About" : "Exit"));
    EXPECT_EQ(GetMenuItemID(menu, position), position == 0 ? kMenuAbout : kMenuExit)
        << "a plain command, no drop-down menu";
  }
  DestroyMenu(menu);
  FreeLibrary(file);

  HWND panel = program.Panel();
  const RECT client = ClientRectOnScreen(main);
  RECT panelRect;
  GetWindowRect(panel, &panelRect);
  EXPECT_EQ(panelRect.left, client.left);
  EXPECT_EQ(panelRect.top, client.top);

  HWND control = GetWindow(panel, GW_CHILD);
  for (const ExpectedControl& expected : kPanelControls) {
    ASSERT_NE(control, nullptr) << "no control where \"" << expected.text << "\" belongs";
    SCOPED_TRACE(expected.text);
    EXPECT_EQ(GetDlgCtrlID(control), expected.id);
    EXPECT_EQ(ClassOf(control), expected.className);
    EXPECT_EQ(TextOf(control), expected.text);
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & expected.styleBits, expected.styleBits);
    control = GetWindow(control, GW_HWNDNEXT);
  }
  EXPECT_EQ(control, nullptr) << "more controls than the template holds";

  // Both steps and the status line lie wholly inside the window; the file row may not.
  for (int id : {kScanButton, kPortList, kUpdateButton, kStatusLine}) {
    RECT r;
    GetWindowRect(GetDlgItem(panel, id), &r);
    EXPECT_TRUE(Covers(client, r)) << "control " << id << " reaches outside the window";
  }
  Screenshot("main-window", main);
}

TEST(Window, TheProgramFileCarriesItsVersionAndManifest) {
  const std::string path = ToolDir() + "\\KV730Update.exe";
  std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  for (const char* name : {"FileVersion", "ProductVersion", "ProductName"}) {
    char* value = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value),
                               &length))
        << name;
    EXPECT_EQ(value, std::string(name == std::string("ProductName") ? "KV730/KV731-Update"
                                                                     : "1.0.7"));
  }

  HMODULE file = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr) << "no application manifest";
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(file, found))),
                             SizeofResource(file, found));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  // Windows is to scale the fixed-size window and the panel together.
  EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
  FreeLibrary(file);
}

TEST(Window, PortListHoldsTheRegistrysPortsSortedWithTheFirstSelected) {
  Program program;
  ASSERT_NE(program.MainWindow(), nullptr);
  HWND ports = program.Control(kPortList);
  EXPECT_EQ(ComboRows(ports), (std::vector<std::string>{"COM10:", "COM7:"}));
  EXPECT_EQ(SendMessageA(ports, CB_GETCURSEL, 0, 0), 0);
}

TEST(Window, ASecondStartRaisesTheFirstWindowAndEndsWithCodeZero) {
  Program first;
  HWND main = first.MainWindow();
  ASSERT_NE(main, nullptr);

  // Something else has the foreground when the technician starts the program again.
  HWND other = CreateWindowExA(0, "STATIC", "other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               400, 300, 200, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 3000));

  Program second;
  EXPECT_EQ(second.WaitForExit(10000), 0u);
  EXPECT_EQ(WindowsOfClass(kAppTitle), 1);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 3000))
      << "the first copy's window was not raised";
  DestroyWindow(other);
}

TEST(Window, ExitAndTheCloseBoxEndTheProgramWithCodeZero) {
  {
    Program program;
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, kMenuExit, 0);
    EXPECT_EQ(program.WaitForExit(5000), 0u);
  }
  Program program;
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, 3000)) << "cannot minimise";
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.WaitForExit(5000), 0u);
}

TEST(Window, AboutShowsTheVersionTextsAndClosesOnlyOnEscape) {
  Program program;
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, kMenuAbout, 0);
  HWND about =
      WaitForTopLevelWindow(program.ProcessId(), "KV730/KV731-Update Verison Informaton", 5000);
  ASSERT_NE(about, nullptr);
  EXPECT_FALSE(IsWindowEnabled(main)) << "About is modal over the main window";

  std::vector<std::string> texts;
  for (HWND c = GetWindow(about, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    EXPECT_EQ(ClassOf(c), "Static") << "About has no button";
    texts.push_back(TextOf(c));
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"Norvane  KV730/KV731-Update(2.0)  Ver1.07",
                                             "Corporation : Norvane Technology Corporation",
                                             "Telephone : 555-0173",
                                             "Web Site : www.example.com"}));
  Screenshot("about-dialog", about);

  PostMessageA(about, WM_COMMAND, IDOK, 0);  // what Enter would send: About has no OK
  Sleep(500);
  EXPECT_TRUE(IsWindow(about));
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 3000)) << "Escape closes About";
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(WaitUntil([&] { return IsChild(program.Panel(), FocusIn(main)) != FALSE; }, 3000))
      << "back from About, the keys go to the panel again";
  PostMessageA(main, WM_COMMAND, kMenuExit, 0);
  EXPECT_EQ(program.WaitForExit(5000), 0u);
}

TEST(Window, SelectFileShowsTheChosenNameAndRouteAndCancelKeepsThem) {
  Program program;
  ASSERT_NE(program.MainWindow(), nullptr);
  HWND panel = program.Panel();
  const std::string chosen = ToolDir() + "\\firmware\\KV730.jad";

  PostMessageA(panel, WM_COMMAND, kSelectFile, 0);
  HWND chooser = WaitForTopLevelWindow(program.ProcessId(), "KV730-Update Fireware", 10000);
  ASSERT_NE(chooser, nullptr);
  HWND filters = GetDlgItem(chooser, 0x470);  // the file-type list of the common dialog
  EXPECT_EQ(ComboRows(filters),
            (std::vector<std::string>{"Java Files (*.jar; *.jad)", "Text Files (*.ini)"}));
  EXPECT_EQ(SendMessageA(filters, CB_GETCURSEL, 0, 0), 0);
  // The file name box: an edit in the older layout, a combo box with an edit in the newer.
  HWND nameBox = GetDlgItem(chooser, 0x47C);
  if (nameBox == nullptr) nameBox = GetDlgItem(chooser, 0x480);
  ASSERT_NE(nameBox, nullptr);
  SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
  PostMessageA(chooser, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }, 5000));
  EXPECT_EQ(TextOf(GetDlgItem(panel, kFileName)), "KV730.jad");
  EXPECT_EQ(TextOf(GetDlgItem(panel, kFileRoute)), chosen);

  PostMessageA(panel, WM_COMMAND, kSelectFile, 0);
  chooser = WaitForTopLevelWindow(program.ProcessId(), "KV730-Update Fireware", 10000);
  ASSERT_NE(chooser, nullptr);
  PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }, 5000));
  EXPECT_EQ(TextOf(GetDlgItem(panel, kFileName)), "KV730.jad");
  EXPECT_EQ(TextOf(GetDlgItem(panel, kFileRoute)), chosen);
}

TEST(Window, TabMovesRadioBandDoesNothingEscapeKeepsThePanelCancelRemovesIt) {
  Program program;
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  HWND panel = program.Panel();
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 3000));

  EXPECT_TRUE(WaitUntil([&] { return FocusIn(main) == GetDlgItem(panel, kUpdateButton); }, 3000))
      << "the keyboard starts on Update";
  PressKey(VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return FocusIn(main) == GetDlgItem(panel, kFileName); }, 3000))
      << "Tab moves to the next control in template order";

  PostMessageA(panel, WM_COMMAND, kRadioBand, 0);
  PressKey(VK_ESCAPE);
  Sleep(1000);
  EXPECT_TRUE(IsWindow(panel)) << "Escape must not leave the technician an empty window";
  EXPECT_EQ(TopLevelWindows(program.ProcessId(), nullptr), (std::vector<HWND>{main}))
      << "Radio / Band opens nothing";
  EXPECT_EQ(TextOf(GetDlgItem(panel, kStatusLine)), "");

  PostMessageA(panel, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(panel); }, 3000))
      << "the cancel command removes the panel";
  PressKey(VK_TAB);
  PressKey(VK_RETURN);
  Sleep(500);
  EXPECT_TRUE(IsWindowVisible(main));
  PostMessageA(main, WM_COMMAND, kMenuExit, 0);
  EXPECT_EQ(program.WaitForExit(5000), 0u);
}
