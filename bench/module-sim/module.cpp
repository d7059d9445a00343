#include "module.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "crc32.h"

namespace {

const char kOk[] = "\r\nOK\r\n";
const char kError[] = "\r\nERROR\r\n";
const std::size_t kLongestCommand = 512;
const std::uint32_t kLargestFile = 16777216;
const auto kSplitOkDelay = std::chrono::milliseconds(700);
const auto kTalkingPeriod = std::chrono::milliseconds(200);
const auto kGarbledPeriod = std::chrono::milliseconds(100);

// Lines of a module that has lost its senses. None holds the letter O, so no mix of them,
// nor any overlay of one read on another, ever spells "OK" or "ERROR".
const char* const kGarbledLines[] = {
    "S1EM#NS TC6~ REV1S10N 02.0#0\r\n",
    "\xA7\xB5~~ 0x1F2E ## ~\r\n",
    "ATI\xFE\xFE REV 0?.0?? #$%\r\n",
};

std::string IdentificationAnswer(const char* revision) {
  return std::string("\r\nSIEMENS\r\nTC65\r\nREVISION ") + revision + "\r\n";
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IsNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
}

bool IsFileName(const std::string& name) {
  if (name.empty() || name.size() > 64 || name == "." || name == "..") return false;
  for (char c : name) {
    if (!IsNameCharacter(c)) return false;
  }
  return true;
}

// The arguments of AT+KVWRITE: a quoted file name, a comma, the size in decimal digits.
bool ParseWriteArguments(const std::string& arguments, std::string& name,
                         std::uint32_t& size) {
  if (arguments.size() < 2 || arguments[0] != '"') return false;
  const std::size_t closingQuote = arguments.find('"', 1);
  if (closingQuote == std::string::npos) return false;
  name = arguments.substr(1, closingQuote - 1);
  if (!IsFileName(name)) return false;
  std::size_t at = closingQuote + 1;
  if (at >= arguments.size() || arguments[at] != ',') return false;
  ++at;
  if (at >= arguments.size()) return false;
  std::uint64_t value = 0;
  for (; at < arguments.size(); ++at) {
    if (!std::isdigit(static_cast<unsigned char>(arguments[at]))) return false;
    value = value * 10 + static_cast<std::uint64_t>(arguments[at] - '0');
    if (value > kLargestFile) return false;
  }
  size = static_cast<std::uint32_t>(value);
  return true;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool ScenarioFromName(const std::string& name, Scenario& scenario) {
  static const struct {
    const char* name;
    Scenario scenario;
  } kNames[] = {
      {"normal", Scenario::Normal},   {"rev02001", Scenario::Rev02001},
      {"error", Scenario::Error},     {"silent", Scenario::Silent},
      {"talking", Scenario::Talking}, {"split", Scenario::Split},
      {"garbled", Scenario::Garbled}, {"vanish", Scenario::Vanish},
  };
  for (const auto& entry : kNames) {
    if (name == entry.name) {
      scenario = entry.scenario;
      return true;
    }
  }
  return false;
}

Module::Module(Scenario scenario, std::string store, std::chrono::milliseconds stallLimit)
    : scenario_(scenario), store_(std::move(store)), stallLimit_(stallLimit) {
  // A device that is not in its setting mode talks from the start.
  if (scenario_ == Scenario::Talking) chatterDue_ = Clock::now();
}

Module::~Module() {
  if (writing_) DropWrite();
}

void Module::Receive(const char* data, std::size_t size, Clock::time_point now,
                     std::string& out) {
  std::size_t at = 0;
  while (at < size && !gone_) {
    if (writing_) {
      at += TakeFileData(data + at, size - at, now, out);
    } else {
      TakeCommandByte(data[at++], now, out);
    }
  }
}

void Module::TakeCommandByte(char byte, Clock::time_point now, std::string& out) {
  if (scenario_ == Scenario::Silent) return;
  out += byte;  // echo, as a modem does
  if (byte == '\r') {
    const std::string command = line_;
    const bool overflowed = lineOverflowed_;
    line_.clear();
    lineOverflowed_ = false;
    if (overflowed) {
      out += kError;
    } else {
      RunCommand(command, now, out);
    }
  } else if (byte != '\n') {
    if (line_.size() < kLongestCommand) {
      line_ += byte;
    } else {
      lineOverflowed_ = true;
    }
  }
}

void Module::RunCommand(const std::string& command, Clock::time_point now,
                        std::string& out) {
  if (command.empty()) return;
  if (scenario_ == Scenario::Garbled) {
    if (chatterDue_ == Clock::time_point::max()) chatterDue_ = now;
    return;
  }
  const std::string upper = Upper(command);
  const std::string writeCommand = "AT+KVWRITE=";
  if (upper == "AT") {
    out += kOk;
  } else if (upper == "ATI") {
    switch (scenario_) {
      case Scenario::Error:
        out += kError;
        break;
      case Scenario::Rev02001:
        out += IdentificationAnswer("02.001") + kOk;
        break;
      case Scenario::Split:
        out += IdentificationAnswer("02.000");
        okDue_ = now + kSplitOkDelay;
        break;
      default:
        out += IdentificationAnswer("02.000") + kOk;
        break;
    }
  } else if (upper.compare(0, writeCommand.size(), writeCommand) == 0) {
    StartWrite(command.substr(writeCommand.size()), now, out);
  } else {
    out += kError;
  }
}

void Module::StartWrite(const std::string& arguments, Clock::time_point now,
                        std::string& out) {
  std::string name;
  std::uint32_t size = 0;
  if (store_.empty() || !ParseWriteArguments(arguments, name, size)) {
    out += kError;
    return;
  }
  // '~' is not allowed in a file name, so the partial file never meets a finished one.
  const std::string partialPath = store_ + "/" + name + "~";
  const int fd = ::open(partialPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    out += kError;
    return;
  }
  write_ = FileWrite{};
  write_.name = name;
  write_.partialPath = partialPath;
  write_.size = size;
  write_.fd = fd;
  write_.lastData = now;
  writing_ = true;
  write_.vanishAtHalf = scenario_ == Scenario::Vanish && !firstWriteStarted_;
  firstWriteStarted_ = true;
  out += "\r\nCONNECT\r\n";
  if (write_.vanishAtHalf && size / 2 == 0) {
    DropWrite();
    gone_ = true;
  } else if (size == 0) {
    FinishWrite(out);
  }
}

std::size_t Module::TakeFileData(const char* data, std::size_t size, Clock::time_point now,
                                 std::string& out) {
  const std::uint32_t end = write_.vanishAtHalf ? write_.size / 2 : write_.size;
  const std::size_t take = std::min<std::size_t>(size, end - write_.received);

  if (!write_.failed && !WriteAll(write_.fd, data, take)) write_.failed = true;
  write_.crc = Crc32Update(write_.crc, reinterpret_cast<const unsigned char*>(data), take);
  write_.received += static_cast<std::uint32_t>(take);
  write_.lastData = now;

  if (write_.vanishAtHalf && write_.received == end) {
    DropWrite();
    gone_ = true;
  } else if (write_.received == write_.size) {
    FinishWrite(out);
  }
  return take;
}

void Module::FinishWrite(std::string& out) {
  ::close(write_.fd);
  write_.fd = -1;
  writing_ = false;
  const std::string finalPath = store_ + "/" + write_.name;
  if (write_.failed || std::rename(write_.partialPath.c_str(), finalPath.c_str()) != 0) {
    ::unlink(write_.partialPath.c_str());
    out += kError;
    return;
  }
  char answer[64];
  std::snprintf(answer, sizeof answer, "\r\n+KVWRITE: %u,%08x\r\n", write_.size, write_.crc);
  out += answer;
  out += kOk;
}

void Module::DropWrite() {
  ::close(write_.fd);
  ::unlink(write_.partialPath.c_str());
  write_.fd = -1;
  writing_ = false;
}

void Module::Tick(Clock::time_point now, std::string& out) {
  if (writing_ && now - write_.lastData > stallLimit_) {
    DropWrite();
    out += kError;
  }
  if (now >= okDue_) {
    okDue_ = Clock::time_point::max();
    out += kOk;
  }
  if (now >= chatterDue_) {
    if (scenario_ == Scenario::Garbled) {
      out += kGarbledLines[chatterCount_ % (sizeof kGarbledLines / sizeof *kGarbledLines)];
      chatterDue_ = now + kGarbledPeriod;
    } else {
      char line[32];
      std::snprintf(line, sizeof line, "$KV730,RUN,%04u\r\n", chatterCount_ % 10000);
      out += line;
      chatterDue_ = now + kTalkingPeriod;
    }
    ++chatterCount_;
  }
}

Clock::time_point Module::NextDue() const {
  Clock::time_point due = std::min(okDue_, chatterDue_);
  if (writing_) due = std::min(due, write_.lastData + stallLimit_ + std::chrono::milliseconds(1));
  return due;
}
