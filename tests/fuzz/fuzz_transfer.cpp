// The transfer's outside inputs: the program's own path (the tool's folder, which the
// technician chooses), the port name from the port list, and the two reports the
// module-exchange programs leave. Whatever they hold, the transfer never reports success
// that its copy report does not show, never hands the system a text longer than its
// 512-byte working buffers, never starts a program with an unusable folder or port name,
// and unregisters after every run that registered.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "update/firmware_transfer.h"

namespace {

class FuzzedTools final : public TransferTools {
 public:
  explicit FuzzedTools(FuzzedDataProvider& input)
      : programPath_(Text(input.ConsumeRandomLengthString(600))),
        portReport_(input.ConsumeRandomLengthString(1400)),
        copyReport_(input.ConsumeRandomLengthString(9000)),
        portReportOpens_(input.ConsumeBool()),
        copyReportOpens_(input.ConsumeBool()) {}

  std::string ProgramPath() override { return programPath_; }
  void Run(const std::string& line) override {
    Check(line);
    runs.push_back(line);
  }
  void WriteCommandFile(const std::string& path, const std::string& text) override {
    Check(path);
    Check(text);
  }
  bool RemoveReport(const std::string& path) override {
    Check(path);
    return true;
  }
  bool ReadReport(const std::string& path, char* buffer, std::size_t count) override {
    Check(path);
    const bool port = path.size() >= 8 && path.compare(path.size() - 8, 8, "Port.txt") == 0;
    const std::string& report = port ? portReport_ : copyReport_;
    if (!(port ? portReportOpens_ : copyReportOpens_)) return false;
    std::memcpy(buffer, report.data(), std::min(count, report.size()));
    return true;
  }
  void Pause(unsigned) override {}

  // The report as the tool may judge it: its first count bytes, up to the first zero.
  std::string Seen(bool port, std::size_t count) const {
    const std::string& report = port ? portReport_ : copyReport_;
    const std::string head = report.substr(0, count);
    return head.substr(0, head.find('\0'));
  }

  // Window texts and module paths reach the tool as C texts: they hold no zero byte.
  static std::string Text(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

  std::vector<std::string> runs;

 private:
  static void Check(const std::string& text) {
    if (text.size() > 511 || text.find('\0') != std::string::npos) __builtin_trap();
  }
  std::string programPath_, portReport_, copyReport_;
  bool portReportOpens_, copyReportOpens_;
};

class NoStatus final : public StatusLine {
 public:
  void SetText(const char*) override {}
};

bool ShowsCopyCount(const std::string& report) {
  for (int n = 1; n <= 12; ++n) {
    if (report.find(std::to_string(n) + " file(s) copied") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string portName = FuzzedTools::Text(input.ConsumeRandomLengthString(16));
  FuzzedTools tools(input);
  NoStatus status;
  const TransferResult result = FirmwareTransfer(portName, tools, status);

  if (result == TransferResult::Success &&
      (!ShowsCopyCount(tools.Seen(false, 8192)) ||
       tools.Seen(true, 1024).find("successfully") == std::string::npos)) {
    __builtin_trap();
  }
  // Either nothing was started, or the run ended by unregistering what it registered.
  if (!tools.runs.empty() &&
      (tools.runs.size() < 4 || tools.runs.back() != "REGSVR32.EXE -s /u MESShellExt.dll")) {
    __builtin_trap();
  }
  for (char c : portName) {
    if (!isalnum(static_cast<unsigned char>(c)) && !tools.runs.empty()) __builtin_trap();
  }
  return 0;
}
