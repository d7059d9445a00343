#pragma once
#include <cstddef>

// What the AT dialogues with the device's module need of the serial line. On Windows it
// is a SerialLink; tests use a scripted line and a fake clock.
class ModuleLine {
 public:
  // Sends the text's characters, without its terminating zero.
  virtual void Send(const char* text) = 0;
  // One read of at most count bytes into the start of buffer; bytes it does not reach keep
  // what they held. Returns after about 500 ms at most.
  virtual void Read(char* buffer, std::size_t count) = 0;
  virtual void Pause(unsigned milliseconds) = 0;

 protected:
  ~ModuleLine() = default;
};
