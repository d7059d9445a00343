#pragma once
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "link/module_line.h"

// A line whose module answers from a script: each read brings the next chunk (cut to the
// count asked for) into the start of the buffer and touches nothing behind it, as a serial
// read does. Once the script is used up every read brings `afterwards` (nothing, unless a
// test makes the module talk for ever). Time runs on a fake clock: every read counts its
// full 500 ms time-out, the worst case, and every pause its length.
class ScriptedLine final : public ModuleLine {
 public:
  explicit ScriptedLine(std::vector<std::string> script, std::string afterwards = "")
      : script_(std::move(script)), afterwards_(std::move(afterwards)) {}

  void Send(const char* text) override { sent += text; }

  void Read(char* buffer, std::size_t count) override {
    const std::string& chunk = reads < script_.size() ? script_[reads] : afterwards_;
    std::memcpy(buffer, chunk.data(), std::min(count, chunk.size()));
    ++reads;
    elapsedMs += 500;
  }

  void Pause(unsigned milliseconds) override {
    pauses.push_back(milliseconds);
    elapsedMs += milliseconds;
  }

  std::string sent;
  std::size_t reads = 0;
  std::vector<unsigned> pauses;
  unsigned elapsedMs = 0;

 private:
  std::vector<std::string> script_;
  std::string afterwards_;
};
