#include "options.h"

#include <cstdlib>

const char kUsage[] = R"(usage: module-sim --link PATH [--scenario NAME] [--log FILE]
                  [--events FILE] [--store DIR] [--ready FILE]
                  [--stall-limit MS] [--lifetime S]

Plays the device's module (it answers AT commands) on a pseudo-terminal, so that a
Windows program under Wine can talk to it through a COM port.

  --link PATH       symbolic link made to the pseudo-terminal, for instance
                    $WINEPREFIX/dosdevices/com7 for COM7; replaced if present,
                    removed on exit
  --scenario NAME   how the module behaves (default normal):
                      normal    echoes each command; "at" -> OK; "ati" -> SIEMENS,
                                TC65, "REVISION 02.000", OK; anything else -> ERROR
                      rev02001  as normal, but "ati" reports "REVISION 02.001"
                      error     as normal, but "ati" -> ERROR
                      silent    never sends anything, not even the echo
                      talking   as normal, and sends a status line every 200 ms
                                unprompted, as a device not in its setting mode
                      split     as normal, but the "OK" after the "ati" answer comes
                                about 700 ms after the revision line
                      garbled   echoes; after the first command sends garbled text
                                every 100 ms for ever, never "OK" nor "ERROR"
                      vanish    as normal, but in the middle of the first file write
                                (after half of its data) the module goes away: the
                                simulator exits and removes its link
  --log FILE        appends every byte received from the tool, raw, as it arrives
  --events FILE     appends a line "open" or "close" each time another process opens
                    or closes the port
  --store DIR       folder that keeps the files written with AT+KVWRITE; without it
                    every write is answered ERROR
  --ready FILE      written (with the simulator's process id) once the link is in
                    place and the module answers; removed on exit
  --stall-limit MS  a file write whose data stops for longer than this is dropped
                    and answered ERROR (default 5000)
  --lifetime S      exits by itself after S seconds (default: never), for tests that
                    start it where they cannot stop it
  --help            this text

File write (see README.md): AT+KVWRITE="<name>",<size> then CR; the module answers
CONNECT, takes exactly <size> raw bytes, stores <DIR>/<name> and answers
+KVWRITE: <size>,<crc32 in 8 lower-case hex digits> and OK.

Ends cleanly on SIGTERM or SIGINT (the link is removed).
)";

namespace {
bool ParseCount(const std::string& text, long& value) {
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && value >= 0;
}
}  // namespace

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help") {
      options.help = true;
      return true;
    }
    if (i + 1 >= argc) {
      error = option.rfind("--", 0) == 0 ? option + " needs a value" : "unknown " + option;
      return false;
    }
    const std::string value = argv[++i];
    long number = 0;
    if (option == "--link") {
      options.link = value;
    } else if (option == "--scenario") {
      if (!ScenarioFromName(value, options.scenario)) {
        error = "unknown scenario " + value;
        return false;
      }
    } else if (option == "--log") {
      options.log = value;
    } else if (option == "--events") {
      options.events = value;
    } else if (option == "--store") {
      options.store = value;
    } else if (option == "--ready") {
      options.ready = value;
    } else if (option == "--stall-limit" && ParseCount(value, number)) {
      options.stallLimit = std::chrono::milliseconds(number);
    } else if (option == "--lifetime" && ParseCount(value, number)) {
      options.lifetime = std::chrono::seconds(number);
    } else {
      error = "cannot use " + option + " " + value;
      return false;
    }
  }
  if (options.link.empty()) {
    error = "--link is required";
    return false;
  }
  return true;
}
