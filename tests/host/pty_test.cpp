// The module simulator plays the device on a pseudo-terminal. It relies on a raw slave
// passing the tool's bytes through unchanged: no echo, no carriage-return translation.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

TEST(PseudoTerminal, RawSlavePassesCarriageReturnsUnchangedAndDoesNotEcho) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios raw{};
  ASSERT_EQ(tcgetattr(slave, &raw), 0);
  cfmakeraw(&raw);
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &raw), 0);

  const std::string command = "ati\r";
  ASSERT_EQ(write(slave, command.data(), command.size()), ssize_t(command.size()));
  char got[16] = {};
  ASSERT_EQ(read(master, got, sizeof got), ssize_t(command.size()));
  EXPECT_EQ(std::string(got), command);

  // Nothing came back to the writer: a raw slave does not echo.
  fcntl(slave, F_SETFL, O_NONBLOCK);
  char echo[4];
  EXPECT_EQ(read(slave, echo, sizeof echo), -1);
  close(slave);
  close(master);
}
