#pragma once
#include <windows.h>

#include "link/module_line.h"

// One opened serial port of the USB-to-serial adapter, ready to speak to the module.
// A link whose open failed behaves as a silent line: sends are lost and reads leave the
// buffer as it was. The destructor closes a link that is still open.
class SerialLink final : public ModuleLine {
 public:
  using PauseFunction = void (*)(unsigned milliseconds);
  explicit SerialLink(PauseFunction pause = nullptr);  // nullptr: Sleep
  ~SerialLink();
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  void Open(const char* portName);
  bool IsOpen() const;
  void BreakPulse();         // set the break, then clear it at once
  bool StartupBreakPulse();  // clears the break only if setting it succeeded; true if it was set
  void Configure();
  void Purge();
  void OpenAndPrepare(const char* portName);  // Open, BreakPulse, Configure, Purge
  void Send(const char* text) override;
  void Read(char* buffer, std::size_t count) override;
  void Pause(unsigned milliseconds) override;
  void Close();

  HANDLE Handle() const { return handle_; }
  // Gives the handle up without closing it: someone else has closed it already.
  void Forget() { handle_ = INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  PauseFunction pause_;
};
