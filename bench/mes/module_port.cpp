#include "module_port.h"

#include <algorithm>
#include <cstring>

#include "link/line_settings_win32.h"

ModulePort::~ModulePort() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

bool ModulePort::Open(const std::string& portName, DWORD& error) {
  const std::string path = "\\\\.\\" + portName;
  handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                        nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  // Short reads so an answer is seen as soon as it is whole; writes may take their time,
  // a file of several megabytes goes out one piece at a time.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadTotalTimeoutConstant = 100;
  timeouts.WriteTotalTimeoutConstant = 5000;
  DCB driver{};
  driver.DCBlength = sizeof driver;
  bool ready = GetCommState(handle_, &driver);
  if (ready) {
    DCB line = LineSettingsFrom(driver);
    ready = SetCommState(handle_, &line) && SetCommTimeouts(handle_, &timeouts);
  }
  if (!ready) {
    error = GetLastError();
    return false;
  }
  PurgeComm(handle_, PURGE_TXCLEAR | PURGE_RXCLEAR);
  return true;
}

bool ModulePort::Send(const void* data, std::size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD piece = size < 4096 ? static_cast<DWORD>(size) : 4096;
    DWORD written = 0;
    if (!WriteFile(handle_, next, piece, &written, nullptr) || written == 0) return false;
    next += written;
    size -= written;
  }
  return true;
}

std::string ModulePort::ReadUntil(const char* ending, const char* otherEnding, unsigned timeout) {
  const DWORD start = GetTickCount();
  for (;;) {
    // What follows the ending belongs to the next answer: a module may send CONNECT and
    // the end of an empty file's write in one go.
    std::string::size_type end = std::string::npos;
    for (const char* text : {ending, otherEnding}) {
      const std::string::size_type at = pending_.find(text);
      if (at != std::string::npos) end = std::min(end, at + std::strlen(text));
    }
    if (end != std::string::npos || GetTickCount() - start >= timeout) {
      const std::string answer = pending_.substr(0, end);
      pending_.erase(0, end);
      return answer;
    }
    char piece[256];
    DWORD got = 0;
    if (!ReadFile(handle_, piece, sizeof piece, &got, nullptr)) return std::string();
    pending_.append(piece, got);
  }
}
