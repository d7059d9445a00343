#include "link/version_check_win32.h"

#include "link/version_check.h"

bool VersionCheck(const char* portName, SerialLink::PauseFunction pause) {
  SerialLink link(pause);
  link.OpenAndPrepare(portName);
  const bool passed = VersionCheckOn(link);
  link.Close();
  return passed;
}
