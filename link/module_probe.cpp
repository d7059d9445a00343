#include "link/module_probe.h"

#include "link/at_dialogue.h"

namespace {
// Each buffer has one byte more than a read may bring, so a full answer stays terminated.
constexpr std::size_t kProbeRead = 128;
}  // namespace

namespace ModuleProbe {

bool IsSilent(ModuleLine& line) {
  char first[kProbeRead + 1] = {};
  char second[kProbeRead + 1] = {};
  char third[kProbeRead + 1] = {};
  // Three reads back to back, no pause: the line is watched for three read time-outs.
  line.Read(first, kProbeRead);
  line.Read(second, kProbeRead);
  line.Read(third, kProbeRead);
  return first[0] == '\0' && second[0] == '\0' && third[0] == '\0';
}

bool Identify(ModuleLine& line) {
  char attention[kProbeRead + 1] = {};
  char identification[kProbeRead + 1] = {};
  SendCommand(line, "at");
  // Only takes the answer to "at" off the line; it is not examined.
  line.Read(attention, kProbeRead);
  SendCommand(line, "ati");
  line.Read(identification, kProbeRead);
  return AnswerHas(identification, "SIEMENS") && AnswerHas(identification, "TC65") &&
         AnswerHas(identification, "OK");
}

}  // namespace ModuleProbe
