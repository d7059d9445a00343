#pragma once
#include "link/serial_link_win32.h"

// Opens and prepares the port, asks the module for its identification, closes the port.
// True when the module answers "OK" and reports "REVISION 02.000". The pause between
// answer reads goes through pause (nullptr: Sleep), so the window can stay responsive.
bool VersionCheck(const char* portName, SerialLink::PauseFunction pause = nullptr);
