// The scan's two dialogues with the module: the silence check and the identification.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/module_probe.h"
#include "link_scripted_line.h"

namespace {

// What a TC65 in setting mode sends back, echo of the command first.
const std::string kAtAnswer = "at\r\r\nOK\r\n";
const std::string kAtiAnswer = "ati\r\r\nSIEMENS\r\nTC65\r\nREVISION 02.000\r\n\r\nOK\r\n";

struct IdentifyCase {
  const char* what;
  std::vector<std::string> reads;  // the answer to "at", then the answer to "ati"
  bool identified;
};

const IdentifyCase kIdentifyCases[] = {
    {"the module's own answer", {kAtAnswer, kAtiAnswer}, true},
    {"words in another order", {kAtAnswer, "OK TC65 SIEMENS"}, true},
    {"words amid other text", {kAtAnswer, "xxOKyyTC65-zzSIEMENS..REVISION 09.999"}, true},
    {"answer to \"at\" missed, so nothing before", {"", kAtiAnswer}, true},
    {"no maker", {kAtAnswer, "ati\r\r\nTC65\r\nREVISION 02.000\r\n\r\nOK\r\n"}, false},
    {"no model", {kAtAnswer, "ati\r\r\nSIEMENS\r\nREVISION 02.000\r\n\r\nOK\r\n"}, false},
    {"no OK", {kAtAnswer, "ati\r\r\nSIEMENS\r\nTC65\r\nREVISION 02.000\r\n"}, false},
    {"refused", {kAtAnswer, "ati\r\r\nERROR\r\n"}, false},
    {"words in the wrong case", {kAtAnswer, "Siemens tc65 ok"}, false},
    {"nothing at all", {}, false},
    // The answer to "at" is only taken off the line, never examined.
    {"all words in the answer to \"at\"", {"SIEMENS TC65 OK", ""}, false},
};

TEST(LinkModuleProbe, IdentifiesOnlyAnIdentificationAnswerWithMakerModelAndOk) {
  for (const IdentifyCase& c : kIdentifyCases) {
    SCOPED_TRACE(c.what);
    ScriptedLine line(c.reads);
    EXPECT_EQ(ModuleProbe::Identify(line), c.identified);
    EXPECT_EQ(line.sent, "at\rati\r");
    EXPECT_EQ(line.reads, 2u);
  }
}

TEST(LinkModuleProbe, AnIdentificationAnswerOfFullLengthIsStillReadAsText) {
  std::string answer = "SIEMENS TC65 OK";
  answer.resize(200, '.');
  ScriptedLine line({kAtAnswer, answer});
  EXPECT_TRUE(ModuleProbe::Identify(line));
}

TEST(LinkModuleProbe, SilentOnlyWhenNoneOfThreeReadsBringsAByte) {
  struct Case {
    const char* what;
    std::vector<std::string> reads;
    bool silent;
  } const cases[] = {
      {"nothing", {}, true},
      {"one byte in the first read", {"x"}, false},
      {"one byte in the second read", {"", "\n"}, false},
      {"one byte in the third read", {"", "", "K"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedLine line(c.reads);
    EXPECT_EQ(ModuleProbe::IsSilent(line), c.silent);
    EXPECT_EQ(line.reads, 3u);
    EXPECT_TRUE(line.sent.empty());
    EXPECT_TRUE(line.pauses.empty());
  }
}

}  // namespace
