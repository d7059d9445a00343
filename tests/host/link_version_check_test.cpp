// The check before an update that the module carries the revision the firmware is made for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/version_check.h"
#include "link_scripted_line.h"

namespace {

const std::string kRevisionLines = "ati\r\r\nSIEMENS\r\nTC65\r\nREVISION 02.000\r\n";

struct Case {
  const char* what;
  std::vector<std::string> reads;
  std::string afterwards;  // what every later read brings
  bool passes;
  std::size_t readsMade;
};

const Case kCases[] = {
    {"the whole answer in one read", {kRevisionLines + "\r\nOK\r\n"}, "", true, 1},
    // The shorter second read lies over the start of the first; the revision stays behind.
    {"OK alone in a second, shorter read", {kRevisionLines, "\r\nOK\r\n"}, "", true, 2},
    {"OK after two reads of nothing new", {kRevisionLines, "", "", "OK"}, "", true, 4},
    {"a longer second read covers the revision",
     {"REVISION 02.000\r\n", "ati\r\r\nSIEMENS TC65 ... OK\r\n"}, "", false, 2},
    {"revision 02.001",
     {"ati\r\r\nSIEMENS\r\nTC65\r\nREVISION 02.001\r\n\r\nOK\r\n"}, "", false, 1},
    {"identification refused", {"ati\r\r\nERROR\r\n"}, "", false, 1},
    {"nothing at all", {}, "", false, 1},
    {"revision without OK, then silence",
     {kRevisionLines}, "", false, std::size_t(kVersionCheckReads)},
    {"garbled text for ever", {}, "S1EM#NS TC6~ REV1S10N 02.0#0\r\n", false,
     std::size_t(kVersionCheckReads)},
};

TEST(LinkVersionCheck, PassesOnlyOnOkWithRevision02000AndGivesUpAtTheBound) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    ScriptedLine line(c.reads, c.afterwards);
    EXPECT_EQ(VersionCheckOn(line), c.passes);
    EXPECT_EQ(line.sent, "ati\r");
    EXPECT_EQ(line.reads, c.readsMade);
    EXPECT_EQ(line.pauses, std::vector<unsigned>(c.readsMade - 1, 50));
  }
}

TEST(LinkVersionCheck, AModuleThatNeverFinishesItsAnswerFailsWithinTenSeconds) {
  ScriptedLine line({}, "S1EM#NS TC6~ REV1S10N 02.0#0\r\n");
  EXPECT_FALSE(VersionCheckOn(line));
  EXPECT_LE(line.elapsedMs, 10000u);
}

TEST(LinkVersionCheck, AnAnswerOfFullLengthIsStillReadAsText) {
  std::string answer = kRevisionLines + "\r\nOK\r\n";
  answer.resize(400, '#');
  ScriptedLine line({answer});
  EXPECT_TRUE(VersionCheckOn(line));
}

}  // namespace
