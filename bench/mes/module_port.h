#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// The serial line to the module as the module-exchange programs use it: the module's line
// settings, and reads that wait for an answer's end rather than for a fixed count.
class ModulePort {
 public:
  ModulePort() = default;
  ~ModulePort();
  ModulePort(const ModulePort&) = delete;
  ModulePort& operator=(const ModulePort&) = delete;

  // False with the system's error code in error when the port cannot be opened or set up.
  bool Open(const std::string& portName, DWORD& error);
  // False unless every byte went out.
  bool Send(const void* data, std::size_t size);
  bool Send(const std::string& text) { return Send(text.data(), text.size()); }
  // What the module sends up to and including the first of the two endings, or all that
  // came within timeout milliseconds when neither did.
  std::string ReadUntil(const char* ending, const char* otherEnding, unsigned timeout);

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string pending_;  // received, not yet returned
};
