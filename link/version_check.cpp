#include "link/version_check.h"

#include "link/at_dialogue.h"

namespace {
constexpr std::size_t kAnswerRead = 256;
constexpr unsigned kPauseBetweenReads = 50;

// Empty: the module says nothing, and later reads would find nothing either.
bool AnswerIsComplete(const char* answer) {
  return answer[0] == '\0' || AnswerHas(answer, "ERROR") || AnswerHas(answer, "OK");
}
}  // namespace

bool VersionCheckOn(ModuleLine& line) {
  char answer[kAnswerRead + 1] = {};
  SendCommand(line, "ati");
  // Every read lands at the start of the buffer, which is never cleared in between: a
  // later, shorter read lies over the start of the earlier text and leaves its tail, so an
  // "OK" that comes on its own still finds the revision line of the read before.
  for (int read = 1;; ++read) {
    line.Read(answer, kAnswerRead);
    if (AnswerIsComplete(answer) || read == kVersionCheckReads) break;
    line.Pause(kPauseBetweenReads);
  }
  return AnswerHas(answer, "OK") && AnswerHas(answer, "REVISION 02.000");
}
