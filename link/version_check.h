#pragma once
#include "link/module_line.h"

// Reads of the identification answer that the version check makes at the most before it
// gives up on an answer that brings neither "OK" nor "ERROR" (a garbled or endless one).
// A read lasts at most about 500 ms and is followed by a 50 ms pause, so the check gives
// up after about 12 * 500 + 11 * 50 = 6.55 s: well inside the 10 s a technician may be
// kept waiting, and still a dozen times longer than a module needs to answer "ati".
constexpr int kVersionCheckReads = 12;

// True when the module on this line, already opened and prepared, answers the
// identification command with "OK" and reports the revision the update is made for.
bool VersionCheckOn(ModuleLine& line);
