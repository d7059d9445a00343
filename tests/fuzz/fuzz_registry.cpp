// Registry value data and names, as the adapter's driver (or anything else that writes
// the device registry) may leave them, into port-list rows. The registry answers every
// call from the fuzzer's bytes, keeping only what the Win32 calls promise: no more bytes
// written than the caller's size allows, sizes reported as the Win32 calls report them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "ports/port_discovery.h"

namespace {

class FuzzedRegistry final : public Registry {
 public:
  explicit FuzzedRegistry(FuzzedDataProvider& input) : input_(input) {}

  long OpenMachineKey(const char*, Key* key) override {
    if (!input_.ConsumeBool()) return 2;  // ERROR_FILE_NOT_FOUND
    *key = &open_;
    ++open_;
    return kSuccess;
  }
  long EnumKey(Key, unsigned long, char* name, unsigned long* size) override {
    return Answer(name, size, /*text=*/true);
  }
  long EnumValue(Key, unsigned long, char* name, unsigned long* size) override {
    return Answer(name, size, /*text=*/true);
  }
  long QueryValue(Key, const char*, unsigned char* data, unsigned long* size) override {
    return Answer(reinterpret_cast<char*>(data), size, /*text=*/false);
  }
  void CloseKey(Key) override { --open_; }
  int OpenKeys() const { return open_; }

 private:
  // Either a failure code, or bytes that fit the caller's buffer. Names come with a
  // terminating zero counted out of the size; value data may fill the buffer exactly.
  long Answer(char* buffer, unsigned long* size, bool text) {
    const long codes[] = {kSuccess, kMoreData, kNoMoreItems, 5 /* ERROR_ACCESS_DENIED */};
    const long code = input_.PickValueInArray(codes);
    std::string bytes = input_.ConsumeRandomLengthString(300);
    if (code == kMoreData) *size = static_cast<unsigned long>(bytes.size() + 1);
    if (code != kSuccess) return code;
    const unsigned long room = text ? *size - 1 : *size;
    if (bytes.size() > room) {
      *size = static_cast<unsigned long>(bytes.size() + (text ? 1 : 0));
      return kMoreData;
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    if (text) buffer[bytes.size()] = '\0';
    *size = static_cast<unsigned long>(bytes.size());
    return kSuccess;
  }

  FuzzedDataProvider& input_;
  int open_ = 0;
};

class RecordingList final : public PortList {
 public:
  void AddRow(const std::string& entry) override { rows_.push_back(entry); }
  void SelectRow(int index) override { selected_ = index; }
  int SelectedRow() const override { return selected_; }
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  std::string RowText(int index) const override { return rows_.at(static_cast<size_t>(index)); }

 private:
  std::vector<std::string> rows_;
  int selected_ = -1;
};

// A row is "NO" or a port name of letters and digits with its colon: anything else would
// later stand unquoted in a command file.
bool IsSoundRow(const std::string& row) {
  if (row == "NO") return true;
  if (row.size() < 2 || row.size() > 127 || row.back() != ':') return false;
  for (size_t i = 0; i + 1 < row.size(); ++i) {
    if (!std::isalnum(static_cast<unsigned char>(row[i]))) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  FuzzedRegistry registry(input);
  RecordingList list;
  const int rows = PortDiscovery::Fill(list, registry);
  if (rows < 1 || rows != list.RowCount() || list.SelectedRow() != 0) __builtin_trap();
  if (registry.OpenKeys() != 0) __builtin_trap();  // every opened key closed again
  for (int i = 0; i < rows; ++i) {
    if (!IsSoundRow(list.RowText(i))) __builtin_trap();
  }
  return 0;
}
