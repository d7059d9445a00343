// Port names and tool folders into the lines of Port.bat and Update.bat. The command
// interpreter reads a command file's line in two passes: percent signs first (%% stands
// for one %, any other % starts a variable or an argument), then quotes, spaces and its
// special characters. Read back that way, every line the transfer accepts must give
// exactly the programs, paths and arguments it was built from, whatever folder the
// technician put the tool in; and no folder that fits the 512-byte lines is refused.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "update/transfer_files.h"

namespace {

using Words = std::vector<std::string>;

// What GetModuleFileNameA can hand over: Windows takes none of these in a folder's name.
bool IsWindowsPath(const std::string& path) {
  for (unsigned char c : path) {
    if (c < 0x20 || std::strchr("\"<>|*?", c) != nullptr) return false;
  }
  return true;
}

// The folder's length once its percent signs are doubled for a command file.
std::size_t CommandFileLength(const std::string& path) {
  std::size_t length = path.size();
  for (char c : path) length += c == '%';
  return length;
}

// The words of the line as the command interpreter takes them, with ">" for the output
// redirection; false when the line holds anything else it would act on.
bool ReadAsCommandInterpreter(const std::string& line, Words& words) {
  std::string text;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '%') {
      text += line[i];
    } else if (i + 1 < line.size() && line[i + 1] == '%') {
      text += '%';
      ++i;
    } else {
      return false;  // a variable or an argument would be put in its place
    }
  }
  bool quoted = false;
  bool inWord = false;
  for (char c : text) {
    if (c == '"') {
      if (!inWord) words.emplace_back();
      inWord = true;
      quoted = !quoted;
    } else if (quoted) {
      words.back() += c;
    } else if (c == ' ') {
      inWord = false;
    } else if (c == '>') {
      words.emplace_back(">");
      inWord = false;
    } else if (std::strchr("&|<^()", c) != nullptr) {
      return false;
    } else {
      if (!inWord) words.emplace_back();
      inWord = true;
      words.back() += c;
    }
  }
  return !quoted;
}

bool ReadsBackAs(const std::string& line, const Words& expected) {
  Words words;
  return ReadAsCommandInterpreter(line, words) && words == expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string portName = input.ConsumeRandomLengthString(16);
  const std::string exeDir = input.ConsumeRemainingBytesAsString();
  if (!IsPlainPortName(portName) || !IsWindowsPath(exeDir)) return 0;

  TransferFiles files;
  if (!BuildTransferFiles(exeDir, portName, files)) {
    // The copy-stage line holds the folder three times and 51 characters more.
    if (3 * CommandFileLength(exeDir) + 51 <= 511) __builtin_trap();
    return 0;
  }
  const std::string dir = exeDir + "\\";
  if (!ReadsBackAs(files.portStageLine,
                   {dir + "MESPort.exe", portName, ">", dir + "Port.txt"}) ||
      !ReadsBackAs(files.copyStageLine, {dir + "MESXCopy.exe", exeDir + "\\firmware",
                                         "mod:a:/", ">", dir + "Update.txt"})) {
    __builtin_trap();
  }
  return 0;
}
