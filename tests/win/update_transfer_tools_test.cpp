// The transfer's file and program calls on Windows, in a scratch folder beside the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "update/transfer_tools_win32.h"

namespace {

void NoPause(unsigned) {}

class UpdateTransferTools : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string program = tools.ProgramPath();
    folder = program.substr(0, program.rfind('\\')) + "\\update tools 100%";
    CreateDirectoryA(folder.c_str(), nullptr);
    path = folder + "\\Port.txt";
    DeleteFileA(path.c_str());
  }
  void TearDown() override { DeleteFileA(path.c_str()); }

  std::string Contents() {
    char buffer[64] = {};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(none)";
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
  }

  WindowsTransferTools tools{NoPause};
  std::string folder;
  std::string path;
};

TEST_F(UpdateTransferTools, ProgramPathIsTheRunningProgramsWholePath) {
  const std::string program = tools.ProgramPath();
  ASSERT_GT(program.size(), std::strlen("\\win_tests.exe"));
  EXPECT_EQ(program.substr(program.rfind('\\')), "\\win_tests.exe");
  EXPECT_NE(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UpdateTransferTools, CommandFileHoldsExactlyTheTextReplacingALongerOne) {
  tools.WriteCommandFile(path, "an older and much longer command line\r\n");
  tools.WriteCommandFile(path, "\"Z:\\a b\\MESPort.exe\" COM3");
  EXPECT_EQ(Contents(), "\"Z:\\a b\\MESPort.exe\" COM3");
}

TEST_F(UpdateTransferTools, ReportIsReadUpToItsLimitAndAMissingOneIsNotOpened) {
  char buffer[8];
  std::memset(buffer, 0, sizeof buffer);
  EXPECT_FALSE(tools.ReadReport(path, buffer, 4));

  tools.WriteCommandFile(path, "successfully");
  ASSERT_TRUE(tools.ReadReport(path, buffer, 4));
  EXPECT_STREQ(buffer, "succ");
}

TEST_F(UpdateTransferTools, OldReportIsRemovedAndOneHeldOpenIsReportedAsStaying) {
  EXPECT_TRUE(tools.RemoveReport(path));  // none there

  tools.WriteCommandFile(path, "successfully");
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(tools.RemoveReport(path));
  CloseHandle(held);

  EXPECT_TRUE(tools.RemoveReport(path));
  EXPECT_EQ(Contents(), "(none)");
}

TEST_F(UpdateTransferTools, StartedCommandFileRunsAndItsRedirectionWritesTheReport) {
  // %% in a command file stands for the folder's one %.
  std::string quoted = "\"";
  for (char c : path) quoted += c == '%' ? std::string("%%") : std::string(1, c);
  const std::string commandFile = folder + "\\Port.bat";
  tools.WriteCommandFile(commandFile, "echo opened successfully> " + quoted + "\"");
  tools.Run("\"" + commandFile + "\"");
  const DWORD start = GetTickCount();
  while (Contents().find("successfully") == std::string::npos && GetTickCount() - start < 10000) {
    Sleep(50);
  }
  EXPECT_EQ(Contents(), "opened successfully\r\n");
  DeleteFileA(commandFile.c_str());
}

}  // namespace
