#pragma once
#include "update/transfer_tools.h"

// The transfer's tools on Windows: WinExec, the file calls and a pause that may keep the
// window serviced.
class WindowsTransferTools final : public TransferTools {
 public:
  using PauseFunction = void (*)(unsigned milliseconds);
  explicit WindowsTransferTools(PauseFunction pause) : pause_(pause) {}

  std::string ProgramPath() override;
  void Run(const std::string& commandLine) override;
  void WriteCommandFile(const std::string& path, const std::string& text) override;
  bool RemoveReport(const std::string& path) override;
  bool ReadReport(const std::string& path, char* buffer, std::size_t count) override;
  void Pause(unsigned milliseconds) override { pause_(milliseconds); }

 private:
  PauseFunction pause_;
};
