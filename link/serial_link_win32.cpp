#include "link/serial_link_win32.h"

#include <cstdio>
#include <cstring>

#include "link/line_settings_win32.h"

SerialLink::SerialLink(PauseFunction pause) : pause_(pause) {}

SerialLink::~SerialLink() { Close(); }

void SerialLink::Open(const char* portName) {
  Close();
  // The \\.\ prefix is what makes COM10 and above reachable at all.
  char path[160] = {};
  std::snprintf(path, sizeof path, "\\\\.\\%s", portName);
  handle_ = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                        nullptr);
}

// INVALID_HANDLE_VALUE is also the current process's pseudo-handle, so a failed open must
// never reach a call: every operation on it is skipped, which makes it a silent line.
bool SerialLink::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

void SerialLink::BreakPulse() {
  if (!IsOpen()) return;
  EscapeCommFunction(handle_, SETBREAK);
  EscapeCommFunction(handle_, CLRBREAK);
}

bool SerialLink::StartupBreakPulse() {
  if (!IsOpen() || !EscapeCommFunction(handle_, SETBREAK)) return false;
  EscapeCommFunction(handle_, CLRBREAK);
  return true;
}

void SerialLink::Configure() {
  if (!IsOpen()) return;
  DCB driver{};
  driver.DCBlength = sizeof driver;
  GetCommState(handle_, &driver);
  DCB line = LineSettingsFrom(driver);
  SetCommState(handle_, &line);

  COMMTIMEOUTS driverTimeouts{};
  GetCommTimeouts(handle_, &driverTimeouts);
  COMMTIMEOUTS timeouts = LineTimeoutsFrom(driverTimeouts);
  SetCommTimeouts(handle_, &timeouts);
}

void SerialLink::Purge() {
  if (!IsOpen()) return;
  PurgeComm(handle_, PURGE_TXCLEAR);
  PurgeComm(handle_, PURGE_RXCLEAR);
}

void SerialLink::OpenAndPrepare(const char* portName) {
  Open(portName);
  BreakPulse();
  Configure();
  Purge();
}

void SerialLink::Send(const char* text) {
  if (!IsOpen()) return;
  DWORD written = 0;
  WriteFile(handle_, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void SerialLink::Read(char* buffer, std::size_t count) {
  if (!IsOpen()) return;
  DWORD got = 0;
  ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, nullptr);
}

void SerialLink::Pause(unsigned milliseconds) {
  if (pause_) {
    pause_(milliseconds);
  } else {
    Sleep(milliseconds);
  }
}

void SerialLink::Close() {
  if (!IsOpen()) return;
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}
