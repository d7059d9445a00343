#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

// How the simulated module behaves; the names are those of --scenario.
enum class Scenario { Normal, Rev02001, Error, Silent, Talking, Split, Garbled, Vanish };

// False when name is none of the scenarios.
bool ScenarioFromName(const std::string& name, Scenario& scenario);

using Clock = std::chrono::steady_clock;

// The module's side of the AT dialogue, without the terminal: bytes from the tool go in,
// the module's answer comes out as bytes to send back. Time is handed in, so that the
// answers it owes later (a late "OK", chatter, a stalled file write) come out of Tick.
class Module {
 public:
  // store: the folder that keeps the files written to the module; empty means none, and
  // writes are then refused.
  Module(Scenario scenario, std::string store, std::chrono::milliseconds stallLimit);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  void Receive(const char* data, std::size_t size, Clock::time_point now, std::string& out);
  void Tick(Clock::time_point now, std::string& out);
  // When Tick has something to do next; time_point::max() when nothing is pending.
  Clock::time_point NextDue() const;
  // The module has gone away (scenario vanish): the simulator ends.
  bool Gone() const { return gone_; }

 private:
  void TakeCommandByte(char byte, Clock::time_point now, std::string& out);
  void RunCommand(const std::string& command, Clock::time_point now, std::string& out);
  void StartWrite(const std::string& arguments, Clock::time_point now, std::string& out);
  std::size_t TakeFileData(const char* data, std::size_t size, Clock::time_point now,
                           std::string& out);
  void FinishWrite(std::string& out);
  void DropWrite();

  Scenario scenario_;
  std::string store_;
  std::chrono::milliseconds stallLimit_;
  bool gone_ = false;

  std::string line_;
  bool lineOverflowed_ = false;

  Clock::time_point okDue_ = Clock::time_point::max();        // split answer
  Clock::time_point chatterDue_ = Clock::time_point::max();   // talking, garbled
  unsigned chatterCount_ = 0;

  // The file being written, while the module takes raw data after CONNECT.
  struct FileWrite {
    std::string name;
    std::string partialPath;
    std::uint32_t size = 0;
    std::uint32_t received = 0;
    std::uint32_t crc = 0;
    int fd = -1;
    bool failed = false;  // the store could not take the data; answered ERROR at the end
    bool vanishAtHalf = false;  // scenario vanish: the module is gone halfway through
    Clock::time_point lastData;
  };
  FileWrite write_;
  bool writing_ = false;
  bool firstWriteStarted_ = false;
};
