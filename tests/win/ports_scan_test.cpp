// The scan dialog on its real template, with its worker thread, under Wine. The module is
// the simulator on a serial port, or, where a read must never end by itself, a named pipe
// put in the place of a COM port. A technician thread reads the dialog and presses its
// buttons while the test's own thread runs the dialog, as the program's does.
#include <windows.h>

#include <gtest/gtest.h>

#include <winternl.h>

#include <string>
#include <thread>
#include <vector>

#include "link_simulated_module.h"
#include "ports/scan_dialog_win32.h"
#include "res/resource.h"
#include "ui/app_state_win32.h"
#include "ui/port_list_win32.h"

namespace {

using link_test::SimulatedModule;
using link_test::WaitFor;

const char kScanCaption[] = "KV730/KV731-Update  Scan COM Port";
const char kMissingPort[] = "COM43";  // no device behind it: it fails to open

// Open ports are File objects. Only these are counted: Wine's GetProcessHandleCount answers
// 0 whatever is open, and Wine opens a thread, a directory and a mutex of its own the first
// time a process does some of what the dialog does.
int OpenFileHandleCount() {
  using QueryObject = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<QueryObject>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
  constexpr int kObjectTypeInformation = 2;
  int count = 0;
  for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
    const HANDLE handle = reinterpret_cast<HANDLE>(value);
    DWORD flags = 0;
    if (!GetHandleInformation(handle, &flags)) continue;
    alignas(8) unsigned char type[512] = {};
    if (query(handle, kObjectTypeInformation, type, sizeof type - 2, nullptr) != 0) continue;
    const auto* name = reinterpret_cast<const UNICODE_STRING*>(type);
    if (name->Buffer != nullptr && std::wstring(name->Buffer, name->Length / 2) == L"File") {
      ++count;
    }
  }
  return count;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_NORMAL, 2000, &ignored);
  return text;
}

std::string LabelOf(HWND dialog) { return TextOf(GetDlgItem(dialog, IDC_SCAN_LABEL)); }

std::vector<std::string> RowsOf(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_SCAN_LIST);
  DWORD_PTR count = 0;
  SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 2000, &count);
  std::vector<std::string> rows;
  for (WPARAM row = 0; row < count; ++row) {
    char text[256] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                        2000, &ignored);
    rows.push_back(text);
  }
  return rows;
}

HWND ScanDialogWindow() { return FindWindowA("#32770", kScanCaption); }

// The program's window layouts, read from the built program: this test program has no
// resource script of its own.
HMODULE LoadProgramResources() {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path = exe;
  path.erase(path.rfind('\\'));  // ...\tests\win
  path += "\\..\\..\\KV730Update.exe";
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// A module on a "COM" port whose reads never end by themselves: a named pipe has no
// read time-out, as a driver that ignores the line's time-outs would not. It notes when
// the port is closed.
class EndlessReadPort {
 public:
  explicit EndlessReadPort(const char* port) : port_(port) {
    pipe_ = CreateNamedPipeA("\\\\.\\pipe\\kv-scan-endless-read", PIPE_ACCESS_DUPLEX,
                             PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                             nullptr);
    defined_ = DefineDosDeviceA(DDD_RAW_TARGET_PATH, port, kTarget) != 0;
    opened_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    closed_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    watcher_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
  }
  ~EndlessReadPort() {
    DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                     port_.c_str(), kTarget);
    CancelSynchronousIo(watcher_);  // still waiting for an open, if the test failed early
    WaitForSingleObject(watcher_, INFINITE);
    CloseHandle(watcher_);
    CloseHandle(pipe_);
    CloseHandle(opened_);
    CloseHandle(closed_);
  }
  bool Ready() const { return pipe_ != INVALID_HANDLE_VALUE && defined_; }
  bool Opened() const { return WaitForSingleObject(opened_, 0) == WAIT_OBJECT_0; }
  bool Closed() const { return WaitForSingleObject(closed_, 0) == WAIT_OBJECT_0; }

 private:
  static DWORD WINAPI Watch(LPVOID self) {
    auto& port = *static_cast<EndlessReadPort*>(self);
    if (!ConnectNamedPipe(port.pipe_, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 0;
    SetEvent(port.opened_);
    char byte = 0;
    DWORD got = 0;
    while (ReadFile(port.pipe_, &byte, 1, &got, nullptr)) {
    }
    SetEvent(port.closed_);
    return 0;
  }

  static constexpr const char* kTarget = "\\Device\\NamedPipe\\kv-scan-endless-read";
  std::string port_;
  HANDLE pipe_;
  bool defined_;
  HANDLE opened_;
  HANDLE closed_;
  HANDLE watcher_;
};

// The main window and the panel's port list, where the scan dialog finds them.
class PortScanDialogRealTime : public ::testing::Test {
 protected:
  void SetUp() override {
    g_app.Instance = LoadProgramResources();
    ASSERT_NE(g_app.Instance, nullptr) << "the program KV730Update.exe is not built";
    g_app.MainWindow = CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                                       300, nullptr, nullptr, nullptr, nullptr);
    g_app.PanelWindow = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 300, 300,
                                        g_app.MainWindow, nullptr, nullptr, nullptr);
    combo_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST | CBS_SORT, 0, 0,
                             100, 100, g_app.PanelWindow,
                             reinterpret_cast<HMENU>(IDC_PORT_LIST), nullptr, nullptr);
    ASSERT_NE(combo_, nullptr);
  }

  void TearDown() override {
    DestroyWindow(g_app.MainWindow);
    FreeLibrary(g_app.Instance);
    g_app = AppState();
  }

  void ListPorts(const std::vector<std::string>& rows, int selected) {
    ComboPortList ports(combo_);
    for (const std::string& row : rows) ports.AddRow(row);
    ports.SelectRow(selected);
    g_app.PortCount = ports.RowCount();
  }

  int SelectedPort() const { return ComboPortList(combo_).SelectedRow(); }

  // Runs the dialog on this thread while the technician acts on it from another. The
  // technician's part gets the dialog once it is up; should it give up, the dialog is
  // cancelled so that the test ends.
  template <typename Part>
  void ScanWhile(Part technician) {
    std::thread other([&] {
      HWND dialog = nullptr;
      if (!WaitFor([&] { return (dialog = ScanDialogWindow()) != nullptr; }, 5000)) {
        ADD_FAILURE() << "no scan dialog";
        return;
      }
      technician(dialog);
      if (!WaitFor([&] { return !IsWindow(dialog); }, 40000)) {
        ADD_FAILURE() << "the scan dialog did not end";
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    ScanDialog::Show();
    other.join();
  }

  HWND combo_ = nullptr;
};

TEST_F(PortScanDialogRealTime, FinishedScanListsEachPortAndOkSelectsTheModulesPort) {
  SimulatedModule module("COM41", "normal");
  ASSERT_TRUE(module.Running());
  ListPorts({"COM41:", std::string(kMissingPort) + ":"}, 1);
  const int handlesBefore = OpenFileHandleCount();

  std::vector<std::string> rows;
  ScanWhile([&](HWND dialog) {
    EXPECT_TRUE(WaitFor([&] { return LabelOf(dialog) == "Complete Scan."; }, 15000));
    rows = RowsOf(dialog);
    PostMessageA(dialog, WM_COMMAND, IDC_SCAN_OK, 0);
  });

  EXPECT_EQ(rows, (std::vector<std::string>{"Scanning COM41...[Open succeed]",
                                            "Scanning COM43...[Open failed]",
                                            "Scanning Completed."}));
  EXPECT_EQ(SelectedPort(), 0);
  EXPECT_EQ(module.Received(), "at\rati\r");
  EXPECT_EQ(module.Events(), "open\nclose\n");
  EXPECT_EQ(g_app.ScanThread, nullptr);
  EXPECT_EQ(OpenFileHandleCount(), handlesBefore);
}

TEST_F(PortScanDialogRealTime, OkDuringAReadThatNeverEndsBreaksTheScanOffWithinThePause) {
  EndlessReadPort port("COM42");
  ASSERT_TRUE(port.Ready());
  ListPorts({"COM42:", std::string(kMissingPort) + ":"}, 1);
  const int handlesBefore = OpenFileHandleCount();

  std::string labelWhileClosing;
  std::vector<std::string> rowsWhileClosing;
  DWORD okAt = 0;
  DWORD portClosedAfter = 0;
  DWORD endedAfter = 0;
  ScanWhile([&](HWND dialog) {
    ASSERT_TRUE(WaitFor([&] { return port.Opened(); }, 5000));
    Sleep(300);  // the worker is in its first read by now
    okAt = GetTickCount();
    PostMessageA(dialog, WM_COMMAND, IDC_SCAN_OK, 0);
    WaitFor([&] { return LabelOf(dialog) == "Break Scan."; }, 1000);
    labelWhileClosing = LabelOf(dialog);
    rowsWhileClosing = RowsOf(dialog);
    WaitFor([&] { return port.Closed(); }, 5000);
    portClosedAfter = GetTickCount() - okAt;
    WaitFor([&] { return !IsWindow(dialog); }, 40000);
    endedAfter = GetTickCount() - okAt;
  });

  EXPECT_EQ(labelWhileClosing, "Break Scan.");
  EXPECT_TRUE(rowsWhileClosing.empty());
  // The read is cut short at once; the dialog keeps its three seconds of "Break Scan.", and
  // Wine without a window manager takes two more to hide a window. A second try of three
  // seconds would show.
  EXPECT_LT(portClosedAfter, 1000u);
  EXPECT_GE(endedAfter, 2900u);
  EXPECT_LT(endedAfter, 6000u);
  EXPECT_EQ(SelectedPort(), 0);
  EXPECT_EQ(g_app.ScanThread, nullptr);
  EXPECT_EQ(OpenFileHandleCount(), handlesBefore);
}

TEST_F(PortScanDialogRealTime, TalkingDeviceEndsTheScanWithAMessageFromTheDialogsThread) {
  SimulatedModule module("COM41", "talking");
  ASSERT_TRUE(module.Running());
  ListPorts({"COM41:", std::string(kMissingPort) + ":"}, 1);
  const int handlesBefore = OpenFileHandleCount();

  std::string text;
  std::string label;
  bool ownedByDialog = false;
  bool onDialogsThread = false;
  ScanWhile([&](HWND dialog) {
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindWindowA("#32770", "ERROR")) != nullptr; }, 10000));
    text = TextOf(GetDlgItem(box, 0xFFFF));
    label = LabelOf(dialog);
    ownedByDialog = GetWindow(box, GW_OWNER) == dialog;
    onDialogsThread = GetWindowThreadProcessId(box, nullptr) ==
                      GetWindowThreadProcessId(dialog, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });

  EXPECT_EQ(text, "Please enter setting mode.");
  EXPECT_EQ(label, "Scanning COM41...");
  EXPECT_TRUE(ownedByDialog);
  EXPECT_TRUE(onDialogsThread);
  EXPECT_EQ(module.Received(), "");
  EXPECT_EQ(module.Events(), "open\nclose\n");
  EXPECT_EQ(SelectedPort(), 1);
  EXPECT_EQ(g_app.ScanThread, nullptr);
  EXPECT_EQ(OpenFileHandleCount(), handlesBefore);
}

DWORD WINAPI WaitForGo(LPVOID go) { return WaitForSingleObject(go, 10000); }

// An event stands in for the port: what matters is whether the handle is still open.
TEST(PortScanHandOver, ThePortIsReleasedOnlyOnceItsWorkerHasEnded) {
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE worker = CreateThread(nullptr, 0, WaitForGo, go, 0, nullptr);
  ASSERT_NE(worker, nullptr);
  HANDLE port = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  g_app.ScanThread = worker;
  PublishScanPort(port);
  DWORD flags = 0;

  ReleaseScanPort();
  EXPECT_TRUE(GetHandleInformation(port, &flags)) << "closed under a running worker";

  SetEvent(go);
  WaitForSingleObject(worker, INFINITE);
  ReleaseScanPort();
  EXPECT_FALSE(GetHandleInformation(port, &flags));
  EXPECT_FALSE(ReclaimScanPort(port)) << "the worker was not told it is gone";
  ReleaseScanPort();  // nothing left to release: closes nothing twice

  g_app.ScanThread = nullptr;
  CloseHandle(worker);
  CloseHandle(go);
}

}  // namespace
