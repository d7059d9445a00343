#pragma once
// The module simulator (bench/module-sim, a Linux program) started from a test that runs
// under Wine, on a COM port of the test's Wine prefix. Wine starts Linux programs but
// cannot wait for them, so the simulator writes its process id into its ready file and is
// stopped with kill; its --lifetime ends it should the test itself die first.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace link_test {

// Folders of this machine appear to Windows programs under drive Z:.
inline std::string UnixPath(std::string path) {
  if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path.erase(0, 2);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Starts a Linux command line; true when Wine took it.
inline bool StartLinuxProgram(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  return true;
}

// Waits up to limitMs for condition; true when it came true.
template <typename Condition>
bool WaitFor(Condition condition, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > limitMs) return false;
    Sleep(20);
  }
  return true;
}

class SimulatedModule {
 public:
  // port: "COM21" and the like; scenario: a module-sim --scenario name.
  SimulatedModule(const char* port, const char* scenario) : port_(port) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string testDir = exe;
    testDir.erase(testDir.rfind('\\'));                // ...\tests\win
    const std::string buildDir = UnixPath(testDir) + "/../..";
    workDir_ = testDir + "\\link-sim-" + port_;
    CreateDirectoryA(workDir_.c_str(), nullptr);
    for (const char* name : {"log", "events", "ready"}) DeleteFileA(File(name).c_str());

    char prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH)) {
      ADD_FAILURE() << "WINEPREFIX is not set: the test must run under cmake/wine-run";
      return;
    }
    std::string device = port_;
    for (char& c : device) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    linkPath_ = std::string(prefix) + "/dosdevices/" + device;

    const std::string command =
        "/bin/sh -c \"exec '" + buildDir + "/bench/module-sim/module-sim' --link '" +
        linkPath_ + "' --scenario " + scenario + " --log '" + UnixPath(File("log")) +
        "' --events '" + UnixPath(File("events")) + "' --ready '" +
        UnixPath(File("ready")) + "' --lifetime 120 </dev/null >/dev/null 2>&1\"";
    if (!StartLinuxProgram(command)) {
      ADD_FAILURE() << "cannot start " << command;
      return;
    }
    if (!WaitFor([&] { return !ReadWholeFile(File("ready")).empty(); }, 5000)) {
      ADD_FAILURE() << "the module simulator did not get ready: " << command;
      return;
    }
    pid_ = std::atol(ReadWholeFile(File("ready")).c_str());
  }

  ~SimulatedModule() {
    if (pid_ <= 0) return;
    StartLinuxProgram("/bin/kill -TERM " + std::to_string(pid_));
    // The simulator removes its ready file as its last act, after the link.
    EXPECT_TRUE(WaitFor([&] { return ReadWholeFile(File("ready")).empty(); }, 5000))
        << "the module simulator on " << port_ << " did not end";
  }

  SimulatedModule(const SimulatedModule&) = delete;
  SimulatedModule& operator=(const SimulatedModule&) = delete;

  bool Running() const { return pid_ > 0; }
  const char* Port() const { return port_.c_str(); }
  // Every byte the module received so far.
  std::string Received() const { return ReadWholeFile(File("log")); }
  // "open" and "close" lines, one each time a process opened or closed the port.
  std::string Events() const { return ReadWholeFile(File("events")); }

 private:
  std::string File(const char* name) const { return workDir_ + "\\" + name; }

  std::string port_;
  std::string workDir_;
  std::string linkPath_;
  long pid_ = 0;
};

}  // namespace link_test
