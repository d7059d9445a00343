// Whatever a device on the line sends, in whatever pieces, into the silence check, the
// identification and the revision check. The fuzzer's bytes decide how much each read
// brings. The checks must end (the revision check within its bound of reads) and must
// never read or write outside their buffers.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "link/module_probe.h"
#include "link/version_check.h"

namespace {

class FuzzedLine final : public ModuleLine {
 public:
  explicit FuzzedLine(FuzzedDataProvider& input) : input_(input) {}
  void Send(const char* text) override { sent_ += text; }
  void Read(char* buffer, std::size_t count) override {
    ++reads_;
    const std::string piece = input_.ConsumeRandomLengthString(count + 8);
    std::memcpy(buffer, piece.data(), std::min(piece.size(), count));
  }
  void Pause(unsigned) override {}
  int Reads() const { return reads_; }

 private:
  FuzzedDataProvider& input_;
  std::string sent_;
  int reads_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  {
    FuzzedLine line(input);
    if (ModuleProbe::IsSilent(line)) ModuleProbe::Identify(line);
  }
  FuzzedLine line(input);
  VersionCheckOn(line);
  if (line.Reads() > kVersionCheckReads) __builtin_trap();
  return 0;
}
