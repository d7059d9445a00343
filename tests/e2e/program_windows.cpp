#include "program_windows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {
std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  if (length == 0 || length >= sizeof value) {
    ADD_FAILURE() << name << " is not set: run the driver through a scenario script";
    return std::string();
  }
  return value;
}

bool IsVisibleTopLevelOf(HWND window, DWORD processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return owner == processId && IsWindowVisible(window);
}
}  // namespace

std::string ToolDir() { return Environment("KV_E2E_TOOL_DIR"); }

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
}

Program::Program() {
  const std::string dir = ToolDir();
  std::string commandLine = "\"" + dir + "\\KV730Update.exe\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                      &startup, &process_)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
  }
}

Program::~Program() {
  if (process_.hProcess == nullptr) return;
  if (WaitForExit(0) == STILL_ACTIVE) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

DWORD Program::WaitForExit(DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (process_.hProcess == nullptr) return code;
  WaitForSingleObject(process_.hProcess, timeoutMs);
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

HWND Program::MainWindow() {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> windows = TopLevelWindows(ProcessId(), kAppTitle);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr && FindWindowExA(found, nullptr, "#32770", nullptr) != nullptr;
      },
      10000);
  return found;
}

HWND Program::Panel() { return FindWindowExA(MainWindow(), nullptr, "#32770", nullptr); }

std::string TextOf(HWND window) {
  char text[512] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 1000, &copied)) {
    ADD_FAILURE() << "window " << window << " did not answer WM_GETTEXT within a second";
  }
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

namespace {
std::vector<std::string> Rows(HWND control, UINT countMessage, UINT textMessage) {
  // Asked across processes in the narrow form, Wine hands a row back in UTF-16: ask in the
  // wide form and narrow it here.
  std::vector<std::string> rows;
  const LRESULT count = SendMessageW(control, countMessage, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t wide[256] = {};
    SendMessageW(control, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    char row[256] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, row, sizeof row, nullptr, nullptr);
    rows.push_back(row);
  }
  return rows;
}
}  // namespace

std::vector<std::string> ComboRows(HWND combo) { return Rows(combo, CB_GETCOUNT, CB_GETLBTEXT); }

std::vector<std::string> ListBoxRows(HWND list) { return Rows(list, LB_GETCOUNT, LB_GETTEXT); }

std::vector<HWND> TopLevelWindows(DWORD processId, const char* caption) {
  std::vector<HWND> found;
  for (HWND window = GetTopWindow(nullptr); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (!IsVisibleTopLevelOf(window, processId)) continue;
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (caption == nullptr || caption == std::string(text)) found.push_back(window);
  }
  return found;
}

HWND WaitForTopLevelWindow(DWORD processId, const char* caption, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> windows = TopLevelWindows(processId, caption);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

HWND MessageBoxOf(DWORD processId) {
  for (HWND window : TopLevelWindows(processId, nullptr)) {
    if (ClassOf(window) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr) return window;
  }
  return nullptr;
}

MessageBoxSeen WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
  MessageBoxSeen seen;
  WaitUntil([&] { return (seen.box = MessageBoxOf(processId)) != nullptr; }, timeoutMs);
  if (seen.box == nullptr) {
    ADD_FAILURE() << "no message box within " << timeoutMs << " ms";
    return seen;
  }
  seen.caption = TextOf(seen.box);
  seen.text = TextOf(GetDlgItem(seen.box, 0xFFFF));
  return seen;
}

void CloseMessageBox(const MessageBoxSeen& box) {
  PostMessageA(box.box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box.box); }, 5000))
      << "the message box \"" << box.text << "\" did not close on OK";
}

void Screenshot(const char* name, HWND window) {
  const std::string dir = Environment("KV_E2E_SHOTS");
  RECT r;
  GetWindowRect(window, &r);
  char geometry[64];
  std::snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld", r.right - r.left,
                r.bottom - r.top, r.left, r.top);
  // Let the window finish painting before the picture is taken.
  Sleep(300);
  // The request appears whole under its final name, so the server never reads half of it.
  const std::string part = dir + "\\" + name + ".part";
  const std::string want = dir + "\\" + name + ".want";
  HANDLE file = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << part;
  DWORD written = 0;
  WriteFile(file, geometry, static_cast<DWORD>(strlen(geometry)), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(MoveFileExA(part.c_str(), want.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesA(want.c_str()) == INVALID_FILE_ATTRIBUTES; },
                        15000))
      << "no screenshot server took " << want;
}

void PressKey(WORD key) {
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_KEYBOARD;
  press[0].ki.wVk = press[1].ki.wVk = key;
  press[1].ki.dwFlags = KEYEVENTF_KEYUP;
  EXPECT_EQ(SendInput(2, press, sizeof(INPUT)), 2u);
}

void ClickOn(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  const LONG x = (r.left + r.right) / 2;
  const LONG y = (r.top + r.bottom) / 2;
  INPUT click[3] = {};
  for (INPUT& step : click) step.type = INPUT_MOUSE;
  click[0].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  click[0].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  click[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  EXPECT_EQ(SendInput(3, click, sizeof(INPUT)), 3u);
}

HWND FocusIn(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}
