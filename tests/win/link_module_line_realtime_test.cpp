// The serial link and the module dialogues on a real line: the module simulator on a
// pseudo-terminal, reached as a COM port of the Wine prefix. Real reads, real time-outs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "link/module_probe.h"
#include "link/serial_link_win32.h"
#include "link/version_check_win32.h"
#include "link_simulated_module.h"

namespace {

using link_test::SimulatedModule;
using link_test::WaitFor;

TEST(LinkModuleLineRealTime, PreparedPortHasTheModulesLineSettingsAndIsClosedAgain) {
  SimulatedModule module("COM21", "normal");
  ASSERT_TRUE(module.Running());
  {
    SerialLink link;
    link.OpenAndPrepare(module.Port());
    ASSERT_TRUE(link.IsOpen());

    // Wine reads the DTR and RTS handshake back as 1, so only these round-trip.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(link.Handle(), &dcb));
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);

    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(link.Handle(), &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 500u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 500u);
    link.Close();
    EXPECT_FALSE(link.IsOpen());
  }
  EXPECT_TRUE(WaitFor([&] { return module.Events() == "open\nclose\n"; }, 2000))
      << module.Events();
  EXPECT_EQ(module.Received(), "") << "preparing the port sends nothing";
}

TEST(LinkModuleLineRealTime, AReadOfNothingReturnsAfterHalfASecondWithTheBufferUnchanged) {
  SimulatedModule module("COM22", "silent");
  ASSERT_TRUE(module.Running());
  SerialLink link;
  link.OpenAndPrepare(module.Port());
  ASSERT_TRUE(link.IsOpen());

  char buffer[257];
  std::memset(buffer, '#', sizeof buffer);
  const DWORD start = GetTickCount();
  link.Read(buffer, 256);
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 400u);
  EXPECT_LT(took, 1000u);
  for (char c : buffer) ASSERT_EQ(c, '#');
}

TEST(LinkModuleLineRealTime, AShortReadLiesOverTheStartOfTheEarlierText) {
  SimulatedModule module("COM23", "normal");
  ASSERT_TRUE(module.Running());
  SerialLink link;
  link.OpenAndPrepare(module.Port());

  char buffer[129] = {};
  std::memset(buffer, 'x', 40);
  link.Send("at\r");
  link.Read(buffer, 128);
  EXPECT_EQ(std::string(buffer), "at\r\r\nOK\r\n" + std::string(40 - 9, 'x'));
}

TEST(LinkModuleLineRealTime, TheModuleIsSilentThenIdentifiesItselfToAtAndAti) {
  SimulatedModule module("COM24", "normal");
  ASSERT_TRUE(module.Running());
  SerialLink link;
  link.OpenAndPrepare(module.Port());
  EXPECT_TRUE(ModuleProbe::IsSilent(link));
  EXPECT_TRUE(ModuleProbe::Identify(link));
  link.Close();
  EXPECT_EQ(module.Received(), "at\rati\r");
}

TEST(LinkModuleLineRealTime, ADeviceThatTalksIsNotSilent) {
  SimulatedModule module("COM25", "talking");
  ASSERT_TRUE(module.Running());
  SerialLink link;
  link.OpenAndPrepare(module.Port());
  EXPECT_FALSE(ModuleProbe::IsSilent(link));
}

TEST(LinkModuleLineRealTime, VersionCheckPassesOnlyForRevision02000InTime) {
  const struct {
    const char* scenario;
    bool passes;
    DWORD limitMs;  // about 550 ms a read, and the bound for an answer that never ends
  } cases[] = {
      {"normal", true, 1500},  {"split", true, 2000},   {"rev02001", false, 1500},
      {"error", false, 1500},  {"silent", false, 1500}, {"garbled", false, 10000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    SimulatedModule module("COM26", c.scenario);
    ASSERT_TRUE(module.Running());
    const DWORD start = GetTickCount();
    EXPECT_EQ(VersionCheck(module.Port()), c.passes);
    const DWORD took = GetTickCount() - start;
    EXPECT_LT(took, c.limitMs);
    std::printf("version check against %s: %lu ms\n", c.scenario, took);
    EXPECT_TRUE(WaitFor([&] { return module.Events() == "open\nclose\n"; }, 2000))
        << module.Events();
  }
}

}  // namespace
