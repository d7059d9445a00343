#pragma once

// The start-up break on one serial port. On Windows it is a SerialLink; tests record calls.
class PortPulser {
 public:
  // True when the port opened; a port that did not open needs no Close.
  virtual bool Open(const char* portName) = 0;
  // Sets the break and clears it again only if setting it succeeded.
  virtual void StartupBreak() = 0;
  virtual void Close() = 0;

 protected:
  ~PortPulser() = default;
};
