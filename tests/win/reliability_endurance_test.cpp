// A technician's long day in one process: 20 revision checks and 20 scans in a row against
// the simulated module, on the real serial link and the real main window, panel, scan
// dialog and worker thread. Whatever one check or scan opens it closes again, so neither
// the process's handles nor its memory may grow beyond noise.
#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "link/version_check_win32.h"
#include "link_simulated_module.h"
#include "res/resource.h"
#include "ui/app_state_win32.h"
#include "ui/main_window_win32.h"
#include "ui/port_list_win32.h"

namespace {

using link_test::SimulatedModule;
using link_test::WaitFor;

constexpr int kRounds = 20;
// The simulator ends by itself after two minutes; ten scans take about 75 s.
constexpr int kScansPerModule = 10;
const char kScanCaption[] = "KV730/KV731-Update  Scan COM Port";
const char kWindowClass[] = "KV730EnduranceMain";

// Heap arenas and Wine's own caches grow in steps of pages. A leak of one port's or one
// dialog's worth of memory a round would show well above this after 20 rounds.
constexpr long kMemoryNoise = 256 * 1024;

// What the process holds. Wine answers GetProcessHandleCount with 0 whatever is open, so
// the handles are also counted one by one; its private bytes are in PagefileUsage.
struct Footprint {
  long handleCount = 0;
  long openHandles = 0;
  long privateBytes = 0;

  static Footprint Now() {
    Footprint now;
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    now.handleCount = static_cast<long>(count);
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
      DWORD flags = 0;
      if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++now.openHandles;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    now.privateBytes = static_cast<long>(memory.PagefileUsage);
    return now;
  }

  Footprint& operator+=(const Footprint& other) {
    handleCount += other.handleCount;
    openHandles += other.openHandles;
    privateBytes += other.privateBytes;
    return *this;
  }
  Footprint operator-(const Footprint& other) const {
    Footprint growth;
    growth.handleCount = handleCount - other.handleCount;
    growth.openHandles = openHandles - other.openHandles;
    growth.privateBytes = privateBytes - other.privateBytes;
    return growth;
  }
};

void ExpectNoGrowth(const char* what, const Footprint& growth) {
  std::printf("%s: growth of GetProcessHandleCount %+ld, of open handles %+ld, of private "
              "bytes %+ld\n",
              what, growth.handleCount, growth.openHandles, growth.privateBytes);
  EXPECT_LE(growth.handleCount, 0) << what;
  EXPECT_LE(growth.openHandles, 0) << what;
  EXPECT_LE(growth.privateBytes, kMemoryNoise) << what;
}

// The simulator's record of a port opened and closed again the given number of times.
std::string OpenedAndClosed(int times) {
  std::string events;
  for (int i = 0; i < times; ++i) events += "open\nclose\n";
  return events;
}

// The simulator notes a closing a moment after it happens.
void ExpectEveryOpeningClosed(const SimulatedModule& module, int openings) {
  EXPECT_TRUE(WaitFor([&] { return module.Events() == OpenedAndClosed(openings); }, 2000))
      << module.Events();
}

std::string LabelOf(HWND dialog) {
  char text[128] = {};
  GetDlgItemTextA(dialog, IDC_SCAN_LABEL, text, sizeof text);
  return text;
}

// The program's own main window and panel, with the window layouts of the built program
// (this test program has no resources of its own). The port list holds the module's port
// and one whose adapter is gone, as a technician's list often does.
class ReliabilityEnduranceRealTime : public ::testing::Test {
 protected:
  void SetUp() override {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string program = exe;
    program.replace(program.rfind('\\'), std::string::npos, "\\..\\..\\KV730Update.exe");
    g_app.Instance = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(g_app.Instance, nullptr) << "the program KV730Update.exe is not built";

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
    main_ = CreateWindowExA(0, kWindowClass, "main", WS_OVERLAPPEDWINDOW, 0, 0, 296, 285,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(g_app.PanelWindow, nullptr);

    // In place of whatever the test prefix's registry listed.
    ports_ = GetDlgItem(g_app.PanelWindow, IDC_PORT_LIST);
    SendMessageA(ports_, CB_RESETCONTENT, 0, 0);
    ComboPortList ports(ports_);
    ports.AddRow("COM52:");
    ports.AddRow("COM53:");
    g_app.PortCount = ports.RowCount();
  }

  void TearDown() override {
    DestroyWindow(main_);
    MSG quit;  // the main window's end posts it; this test has no loop to take it
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    UnregisterClassA(kWindowClass, GetModuleHandleA(nullptr));
    FreeLibrary(g_app.Instance);
    g_app = AppState();
  }

  // Scan COM Port as the technician uses it: wait for "Complete Scan.", then OK. True when
  // OK selected the module's port.
  bool ScanOnce() {
    ComboPortList(ports_).SelectRow(1);
    std::thread technician([] {
      HWND dialog = nullptr;
      if (!WaitFor([&] { return (dialog = FindWindowA("#32770", kScanCaption)) != nullptr; },
                   5000)) {
        return;  // no dialog: the selection stays and tells
      }
      WaitFor([&] { return LabelOf(dialog) == "Complete Scan."; }, 20000);
      PostMessageA(dialog, WM_COMMAND, IDC_SCAN_OK, 0);
    });
    SendMessageA(g_app.PanelWindow, WM_COMMAND, MAKEWPARAM(IDC_SCAN, BN_CLICKED), 0);
    technician.join();
    return ComboPortList(ports_).SelectedRow() == 0;
  }

  HWND main_ = nullptr;
  HWND ports_ = nullptr;
};

// Starting and ending the simulator, a Linux program, leaves Wine's own handles to it
// behind, so every footprint is taken while one simulator runs.
TEST_F(ReliabilityEnduranceRealTime, TwentyRevisionChecksAndTwentyScansLeaveNothingBehind) {
  {
    SimulatedModule module("COM52", "normal");
    ASSERT_TRUE(module.Running());
    ASSERT_TRUE(VersionCheck(module.Port())) << "warm-up: Wine's first use of a port";
    const Footprint before = Footprint::Now();
    int passed = 0;
    for (int check = 0; check < kRounds; ++check) passed += VersionCheck(module.Port());
    const Footprint growth = Footprint::Now() - before;
    EXPECT_EQ(passed, kRounds);
    ExpectNoGrowth("20 revision checks", growth);
    ExpectEveryOpeningClosed(module, kRounds + 1);
  }

  Footprint growth;
  int found = 0;
  for (int round = 0; round < kRounds; round += kScansPerModule) {
    SimulatedModule module("COM52", "normal");
    ASSERT_TRUE(module.Running());
    if (round == 0) {
      ASSERT_TRUE(ScanOnce()) << "warm-up: Wine's first dialog and thread";
    }
    const Footprint before = Footprint::Now();
    for (int scan = 0; scan < kScansPerModule; ++scan) found += ScanOnce();
    growth += Footprint::Now() - before;
    ExpectEveryOpeningClosed(module, kScansPerModule + (round == 0));
  }
  EXPECT_EQ(found, kRounds);
  ExpectNoGrowth("20 scans", growth);
  EXPECT_EQ(g_app.ScanThread, nullptr);
  EXPECT_EQ(g_app.ScanPortHandle, nullptr);
}

}  // namespace
