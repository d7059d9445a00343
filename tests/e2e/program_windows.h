#pragma once
// What the end-to-end driver knows of KV730Update.exe: only what another program can see of
// it: its process, its windows, their texts and the commands they take.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

constexpr char kAppTitle[] = "KV730/KV731-Update(2.0) V1.07";

// The panel's controls, as the program's windows number them.
enum PanelControl {
  kFileName = 1002,
  kFileRoute = 1003,
  kPortList = 1004,
  kScanButton = 1005,
  kSelectFile = 1006,
  kUpdateButton = 1007,
  kStatusLine = 1008,
  kRadioBand = 1009,
};
enum MenuCommand { kMenuExit = 40001, kMenuAbout = 40004 };

// The technician's folder that the bench laid out (Windows path, no trailing backslash).
std::string ToolDir();

// Polls every 20 ms until the condition holds; false when timeoutMs passed first.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// KV730Update.exe started from the technician's folder as a double click would; ended by
// force at the end of the test if it is still running then.
class Program {
 public:
  Program();
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD ProcessId() const { return process_.dwProcessId; }
  // The exit code, or STILL_ACTIVE when the program has not ended within timeoutMs.
  DWORD WaitForExit(DWORD timeoutMs);
  // The main window, once it shows with its panel; nullptr when it does not within 10 s.
  HWND MainWindow();
  HWND Panel();
  HWND Control(int id) { return GetDlgItem(Panel(), id); }

 private:
  PROCESS_INFORMATION process_ = {};
};

// A window's text as the window itself answers WM_GETTEXT, like a screen reader asks it.
// Fails the test when the window does not answer within a second.
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
std::vector<std::string> ComboRows(HWND combo);
std::vector<std::string> ListBoxRows(HWND list);

// The visible top-level windows of a process with the given caption (any caption: nullptr).
std::vector<HWND> TopLevelWindows(DWORD processId, const char* caption);
HWND WaitForTopLevelWindow(DWORD processId, const char* caption, DWORD timeoutMs);

struct MessageBoxSeen {
  HWND box = nullptr;
  std::string caption;
  std::string text;
};
// A message box of the process showing now (a dialog whose text is its static control
// 0xFFFF), or nullptr.
HWND MessageBoxOf(DWORD processId);
// The next message box of the process, read while it shows.
MessageBoxSeen WaitForMessageBox(DWORD processId, DWORD timeoutMs);
// Presses OK and waits until the box has gone.
void CloseMessageBox(const MessageBoxSeen& box);

// The part of the desktop that the window covers, frame included, saved as NAME.png by the
// bench's screenshot server (see bench/bench-lib.sh).
void Screenshot(const char* name, HWND window);

// Real input, as the technician's keyboard and mouse give it: a key goes to the window
// with the keyboard focus, a click to the window under the pointer.
void PressKey(WORD key);
void ClickOn(HWND window);
// The window that has the keyboard focus in the thread that owns the given window.
HWND FocusIn(HWND window);
