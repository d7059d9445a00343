// The serial link's line settings, and a port that cannot be opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "link/line_settings_win32.h"
#include "link/module_probe.h"
#include "link/serial_link_win32.h"
#include "link/version_check_win32.h"

namespace {

// The flag word of a DCB (fBinary ... fDummy2) is the DWORD after BaudRate.
constexpr std::size_t kFlagWordOffset = offsetof(DCB, BaudRate) + sizeof(DWORD);

DWORD FlagWord(const DCB& dcb) {
  DWORD flags = 0;
  std::memcpy(&flags, reinterpret_cast<const char*>(&dcb) + kFlagWordOffset, sizeof flags);
  return flags;
}

DCB WithFlagWord(DCB dcb, DWORD flags) {
  std::memcpy(reinterpret_cast<char*>(&dcb) + kFlagWordOffset, &flags, sizeof flags);
  return dcb;
}

DCB DriverBlock(unsigned char fill, DWORD flags) {
  DCB dcb;
  std::memset(&dcb, fill, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  return WithFlagWord(dcb, flags);
}

DCB UnusualDriverBlock() {
  DCB dcb = DriverBlock(0, 0x5A5A5A5Au);
  dcb.BaudRate = 300;
  dcb.wReserved = 0xBEEF;
  dcb.XonLim = 17;
  dcb.XoffLim = 4321;
  dcb.ByteSize = 5;
  dcb.Parity = MARKPARITY;
  dcb.StopBits = TWOSTOPBITS;
  dcb.XonChar = 0x21;
  dcb.XoffChar = 0x22;
  dcb.ErrorChar = '?';
  dcb.EofChar = 0x1A;
  dcb.EvtChar = '~';
  dcb.wReserved1 = 0xCAFE;
  return dcb;
}

TEST(LinkLineSettings, ChangeOnlyTheModulesFieldsAndMaskTheFlagWord) {
  const struct {
    const char* what;
    DCB driver;
  } cases[] = {
      {"all zero", DriverBlock(0x00, 0)},
      {"all ones", DriverBlock(0xFF, 0xFFFFFFFFu)},
      {"unusual values, alternate flags", UnusualDriverBlock()},
      {"unusual values, other flags", WithFlagWord(UnusualDriverBlock(), 0xA5A5A5A5u)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const DCB line = LineSettingsFrom(c.driver);

    EXPECT_EQ(FlagWord(line), (FlagWord(c.driver) & 0xFFFFE4A1u) | 0x6021u);
    EXPECT_EQ(line.fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
    EXPECT_EQ(line.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
    EXPECT_EQ(line.fTXContinueOnXoff, c.driver.fTXContinueOnXoff);
    EXPECT_EQ(line.fErrorChar, c.driver.fErrorChar);

    // Every other byte of the block is the driver's.
    DCB expected = WithFlagWord(c.driver, FlagWord(line));
    expected.BaudRate = 115200;
    expected.ByteSize = 8;
    expected.Parity = NOPARITY;
    expected.StopBits = ONESTOPBIT;
    EXPECT_EQ(std::memcmp(&line, &expected, sizeof line), 0);
  }
}

TEST(LinkLineSettings, TimeoutsAreHalfASecondForReadsAndWritesWithoutIntervalOrMultiplier) {
  COMMTIMEOUTS driver;
  std::memset(&driver, 0xA5, sizeof driver);
  const COMMTIMEOUTS timeouts = LineTimeoutsFrom(driver);
  EXPECT_EQ(timeouts.ReadIntervalTimeout, 0u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 500u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 500u);
}

TEST(LinkSerialLink, APortThatCannotBeOpenedIsASilentLine) {
  for (const char* port : {"COM97", "NO"}) {
    SCOPED_TRACE(port);
    SerialLink link;
    link.OpenAndPrepare(port);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.StartupBreakPulse());
    link.Send("ati\r");

    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    link.Read(buffer, sizeof buffer);
    for (char c : buffer) EXPECT_EQ(c, '#');

    const DWORD start = GetTickCount();
    EXPECT_TRUE(ModuleProbe::IsSilent(link));
    EXPECT_FALSE(ModuleProbe::Identify(link));
    EXPECT_LT(GetTickCount() - start, 1000u) << "a missing port must not wait for answers";
    link.Close();
    EXPECT_FALSE(VersionCheck(port));
  }
}

}  // namespace
