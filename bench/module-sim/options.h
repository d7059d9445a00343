#pragma once
#include <chrono>
#include <string>

#include "module.h"

struct Options {
  std::string link;     // symbolic link to the pseudo-terminal, e.g. a prefix's dosdevices/com7
  Scenario scenario = Scenario::Normal;
  std::string log;      // every byte received, appended; empty: none
  std::string events;   // "open" / "close" lines; empty: none
  std::string store;    // the module's files; empty: writes are refused
  std::string ready;    // made once the module answers; empty: none
  std::chrono::milliseconds stallLimit{5000};
  std::chrono::seconds lifetime{0};  // 0: until a signal
  bool help = false;
};

// False with a reason in error when the command line cannot be used.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

extern const char kUsage[];
