#pragma once
#include <windows.h>

// The module's line: 115200 baud, 8 data bits, no parity, one stop bit, DTR and RTS
// handshake, binary, stop on errors. Every field not named here (XON/XOFF limits and
// characters, error, end-of-file and event characters, fTXContinueOnXoff, fErrorChar, the
// reserved words and bits) keeps what the driver reported. On the flag word this is a
// mask with 0xFFFFE4A1 and then an or with 0x6021.
DCB LineSettingsFrom(const DCB& driver);

// Reads return with what has come after 500 ms at the latest; writes give up after 500 ms.
// Every field is overwritten; the driver's block is read first only to be written back.
COMMTIMEOUTS LineTimeoutsFrom(const COMMTIMEOUTS& driver);
