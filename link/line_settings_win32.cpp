#include "link/line_settings_win32.h"

DCB LineSettingsFrom(const DCB& driver) {
  DCB line = driver;
  line.BaudRate = 115200;
  line.ByteSize = 8;
  line.Parity = NOPARITY;
  line.StopBits = ONESTOPBIT;
  line.fBinary = 1;
  line.fParity = 0;
  line.fOutxCtsFlow = 0;
  line.fOutxDsrFlow = 0;
  line.fDtrControl = DTR_CONTROL_HANDSHAKE;
  line.fDsrSensitivity = 0;
  line.fOutX = 0;
  line.fInX = 0;
  line.fNull = 0;
  line.fRtsControl = RTS_CONTROL_HANDSHAKE;
  line.fAbortOnError = 1;
  return line;
}

COMMTIMEOUTS LineTimeoutsFrom(const COMMTIMEOUTS& driver) {
  COMMTIMEOUTS timeouts = driver;
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 500;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = 500;
  return timeouts;
}
