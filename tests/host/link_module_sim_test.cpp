// The module simulator as its users drive it: a process with a pseudo-terminal behind a
// link, spoken to through that link. The file-write dialogue is our own design and the
// copy stand-in speaks it, so it is held to the letter here.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// host_tests is <build>/tests/host/host_tests; the simulator <build>/bench/module-sim/.
fs::path SimulatorPath() {
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path().parent_path() /
         "bench/module-sim/module-sim";
}

std::string FileText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

template <typename Condition>
bool WaitFor(Condition condition, milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return true;
}

class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options) {
    char pattern[] = "/tmp/module-sim-test-XXXXXX";
    dir_ = mkdtemp(pattern);
    fs::create_directory(dir_ / "store");
    std::vector<std::string> args = {SimulatorPath().string(), "--link", Link().string(),
                                     "--ready", (dir_ / "ready").string(),
                                     "--log", (dir_ / "log").string()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // Relative paths among the options name files in the simulator's own folder.
    posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ready_ = pid_ > 0 && WaitFor([&] { return fs::exists(dir_ / "ready"); }, milliseconds(5000));
  }
  ~Simulator() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    fs::remove_all(dir_);
  }
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  bool Ready() const { return ready_; }
  fs::path Dir() const { return dir_; }
  fs::path Store() const { return dir_ / "store"; }
  fs::path Link() const { return dir_ / "com7"; }
  // Ends the simulator with SIGTERM, or waits for it to end by itself; its exit status.
  int End(bool terminate) {
    if (terminate) kill(pid_, SIGTERM);
    int status = -1;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  fs::path dir_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

// The tool's end of the line.
class Port {
 public:
  explicit Port(const fs::path& link) : fd_(open(link.c_str(), O_RDWR | O_NOCTTY)) {}
  ~Port() {
    if (fd_ >= 0) close(fd_);
  }
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  void Send(const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
      const ssize_t n = write(fd_, bytes.data() + at, bytes.size() - at);
      if (n <= 0) return;
      at += static_cast<std::size_t>(n);
    }
  }
  // What arrives until the text ends with `ending` or the time is up.
  std::string ReadUntil(const std::string& ending, milliseconds limit = milliseconds(2000)) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (got.size() < ending.size() ||
           got.compare(got.size() - ending.size(), ending.size(), ending) != 0) {
      const auto left =
          std::chrono::duration_cast<milliseconds>(end - std::chrono::steady_clock::now());
      pollfd fd = {fd_, POLLIN, 0};
      if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
      char buffer[4096];
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }
  // The command with its echo, and the module's answer up to the end of the answer.
  std::string Command(const std::string& command, const std::string& answerEnd = "\r\n") {
    Send(command + "\r");
    return ReadUntil(answerEnd);
  }

 private:
  int fd_;
};

// Starts a file write: the command, its echo and the module's CONNECT.
::testing::AssertionResult StartWrite(Port& port, const std::string& name, std::size_t size) {
  const std::string command = "AT+KVWRITE=\"" + name + "\"," + std::to_string(size);
  const std::string dialogue = port.Command(command, "CONNECT\r\n");
  if (dialogue == command + "\r\r\nCONNECT\r\n") return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the write was answered " << ::testing::PrintToString(dialogue);
}

std::string Pattern(std::size_t size) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 7 + (i >> 8));
  return data;
}

TEST(LinkModuleSim, EchoesAndAnswersAtAndAtiAndLogsWhatItGot) {
  Simulator sim({});
  ASSERT_TRUE(sim.Ready());
  Port port(sim.Link());
  ASSERT_TRUE(port.IsOpen());
  EXPECT_EQ(port.Command("at", "OK\r\n"), "at\r\r\nOK\r\n");
  EXPECT_EQ(port.Command("ati", "OK\r\n"),
            "ati\r\r\nSIEMENS\r\nTC65\r\nREVISION 02.000\r\n\r\nOK\r\n");
  EXPECT_EQ(port.Command("atx", "ERROR\r\n"), "atx\r\r\nERROR\r\n");
  EXPECT_EQ(FileText(sim.Dir() / "log"), "at\rati\ratx\r");

  EXPECT_EQ(sim.End(true), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(sim.Link())));
  EXPECT_FALSE(fs::exists(sim.Dir() / "ready"));
}

TEST(LinkModuleSim, RecordsEveryOpenAndCloseOfThePortAndOutlivesThem) {
  Simulator sim({"--events", "events"});
  ASSERT_TRUE(sim.Ready());
  for (int i = 0; i < 3; ++i) {
    Port port(sim.Link());
    ASSERT_TRUE(port.IsOpen());
  }
  const fs::path events = sim.Dir() / "events";
  const std::string threeTimes = "open\nclose\nopen\nclose\nopen\nclose\n";
  EXPECT_TRUE(WaitFor([&] { return FileText(events) == threeTimes; }, milliseconds(2000)))
      << FileText(events);
  Port port(sim.Link());
  EXPECT_EQ(port.Command("at", "OK\r\n"), "at\r\r\nOK\r\n");
}

TEST(LinkModuleSim, StoresWrittenFilesAndAnswersSizeAndCrc) {
  Simulator sim({"--store", "store"});
  ASSERT_TRUE(sim.Ready());
  const fs::path store = sim.Store();
  Port port(sim.Link());
  const struct {
    const char* name;
    std::string data;
    const char* answer;
  } files[] = {
      {"check.txt", "123456789", "\r\n+KVWRITE: 9,cbf43926\r\n\r\nOK\r\n"},
      // Every byte value, carriage returns and "at" among them, is data, not a command.
      {"app-1.0_B.jar", Pattern(200000), "\r\n+KVWRITE: 200000,3e19ea23\r\n\r\nOK\r\n"},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    ASSERT_TRUE(StartWrite(port, f.name, f.data.size()));
    port.Send(f.data);
    EXPECT_EQ(port.ReadUntil("OK\r\n"), f.answer);
    EXPECT_EQ(FileText(store / f.name), f.data);
    fs::remove(store / f.name);
  }
}

TEST(LinkModuleSim, RefusesABadWriteWithoutConnect) {
  Simulator sim({"--store", "store"});
  ASSERT_TRUE(sim.Ready());
  Port port(sim.Link());
  const std::string longest(64, 'n');
  for (const std::string& command : std::vector<std::string>{
           "AT+KVWRITE=\"\",1", "AT+KVWRITE=\".\",1", "AT+KVWRITE=\"..\",1",
           "AT+KVWRITE=\"a/b\",1", "AT+KVWRITE=\"a~\",1", "AT+KVWRITE=\"a b\",1",
           "AT+KVWRITE=\"" + longest + "n\",1", "AT+KVWRITE=\"a\",16777217",
           "AT+KVWRITE=\"a\",-1", "AT+KVWRITE=\"a\",", "AT+KVWRITE=\"a\",1x",
           "AT+KVWRITE=a,1", "AT+KVWRITE=\"a\" 1", "AT+KVWRITE=\"a,1"}) {
    EXPECT_EQ(port.Command(command, "ERROR\r\n"), command + "\r\r\nERROR\r\n");
  }
  EXPECT_TRUE(fs::is_empty(sim.Store()));

  // The longest name is still a name, and an empty file a file; without a store nothing
  // is written at all.
  const std::string longestWrite = "AT+KVWRITE=\"" + longest + "\",0";
  EXPECT_EQ(port.Command(longestWrite, "OK\r\n"),
            longestWrite + "\r\r\nCONNECT\r\n\r\n+KVWRITE: 0,00000000\r\n\r\nOK\r\n");
  Simulator storeless({});
  ASSERT_TRUE(storeless.Ready());
  Port other(storeless.Link());
  EXPECT_EQ(other.Command("AT+KVWRITE=\"a\",1", "ERROR\r\n"),
            "AT+KVWRITE=\"a\",1\r\r\nERROR\r\n");
}

TEST(LinkModuleSim, DropsAWriteWhoseDataStalls) {
  Simulator sim({"--store", "store", "--stall-limit", "300"});
  ASSERT_TRUE(sim.Ready());
  Port port(sim.Link());
  ASSERT_TRUE(StartWrite(port, "fw.jad", 10));
  port.Send("1234");
  EXPECT_EQ(port.ReadUntil("\r\n", milliseconds(3000)), "\r\nERROR\r\n");
  EXPECT_TRUE(fs::is_empty(sim.Store()));
  EXPECT_EQ(port.Command("at", "OK\r\n"), "at\r\r\nOK\r\n");
}

TEST(LinkModuleSim, VanishesHalfwayThroughTheFirstFileWrite) {
  Simulator sim({"--store", "store", "--scenario", "vanish"});
  ASSERT_TRUE(sim.Ready());
  Port port(sim.Link());
  ASSERT_TRUE(StartWrite(port, "fw.jar", 10));
  port.Send("12345");
  EXPECT_EQ(sim.End(false), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(sim.Link())));
  EXPECT_TRUE(fs::is_empty(sim.Store()));
  EXPECT_EQ(FileText(sim.Dir() / "log"), "AT+KVWRITE=\"fw.jar\",10\r12345");
}

}  // namespace
