#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ports/driver_port_name.h"
#include "ports/port_discovery.h"

namespace {

const std::string kAdapterKey = "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_067b&Pid_2303\\";
const std::string kWording = "Prolific USB-to-Serial Comm Port (";

// Text data as the driver stores it: with its terminating zero.
std::string Text(const std::string& text) { return text + '\0'; }
std::string DriverText(const std::string& port) { return Text(kWording + port + ")"); }

struct Value {
  std::string name;
  std::string data;  // the stored bytes, exactly
  long queryResult = Registry::kSuccess;
};

struct Instance {
  std::string name;
  std::vector<Value> values;
  long enumResult = Registry::kSuccess;  // what enumerating this subkey's name answers
  bool opens = true;
};

// The device registry with the adapter's key (when present) and its instances, answering as
// the Win32 calls do. It notes every misuse of a key handle, and every opened path.
class FakeRegistry final : public Registry {
 public:
  FakeRegistry(bool adapterKey, std::vector<Instance> instances)
      : adapterKey_(adapterKey), instances_(std::move(instances)) {}

  long OpenMachineKey(const char* path, Key* key) override {
    opened.push_back(path);
    int found = -2;
    if (adapterKey_ && path == kAdapterKey) found = -1;
    for (std::size_t i = 0; adapterKey_ && i < instances_.size(); ++i) {
      if (instances_[i].opens && path == kAdapterKey + instances_[i].name) found = int(i);
    }
    if (found == -2) return 2;  // ERROR_FILE_NOT_FOUND
    const std::uintptr_t handle = nextHandle_++;
    open_[handle] = found;
    *key = reinterpret_cast<Key>(handle);
    return kSuccess;
  }

  long EnumKey(Key key, unsigned long index, char* name, unsigned long* nameSize) override {
    if (Which(key) != -1) return 6;  // ERROR_INVALID_HANDLE
    if (index >= instances_.size()) return kNoMoreItems;
    const Instance& instance = instances_[index];
    // A failed read may still leave the name, or part of it, in the buffer.
    CopyName(instance.name, name, *nameSize);
    if (instance.enumResult != kSuccess) return instance.enumResult;
    return SetName(instance.name, name, nameSize);
  }

  long EnumValue(Key key, unsigned long index, char* name, unsigned long* nameSize) override {
    const int which = Which(key);
    if (which < 0) return 6;
    const std::vector<Value>& values = instances_[which].values;
    if (index >= values.size()) return kNoMoreItems;
    return SetName(values[index].name, name, nameSize);
  }

  long QueryValue(Key key, const char* valueName, unsigned char* data,
                  unsigned long* dataSize) override {
    const int which = Which(key);
    if (which < 0) return 6;
    for (const Value& value : instances_[which].values) {
      if (value.name != valueName) continue;
      if (value.queryResult != kSuccess) return value.queryResult;
      if (value.data.size() > *dataSize) return kMoreData;
      std::memcpy(data, value.data.data(), value.data.size());
      *dataSize = static_cast<unsigned long>(value.data.size());
      return kSuccess;
    }
    return 2;
  }

  void CloseKey(Key key) override {
    if (open_.erase(reinterpret_cast<std::uintptr_t>(key)) == 0) misuses.push_back("close");
  }

  int OpenKeys() const { return static_cast<int>(open_.size()); }

  std::vector<std::string> opened;
  std::vector<std::string> misuses;

 private:
  // -1 for the adapter key, the instance's index for an instance key, -2 for no open key.
  int Which(Key key) {
    auto it = open_.find(reinterpret_cast<std::uintptr_t>(key));
    if (it != open_.end()) return it->second;
    misuses.push_back("use");
    return -2;
  }

  static void CopyName(const std::string& from, char* to, unsigned long size) {
    std::strncpy(to, from.c_str(), size);
  }

  static long SetName(const std::string& from, char* to, unsigned long* size) {
    if (from.size() + 1 > *size) return kMoreData;
    std::memcpy(to, from.c_str(), from.size() + 1);
    *size = static_cast<unsigned long>(from.size());
    return kSuccess;
  }

  bool adapterKey_;
  std::vector<Instance> instances_;
  std::map<std::uintptr_t, int> open_;
  std::uintptr_t nextHandle_ = 0x100;
};

// The panel's drop-down list: it sorts its rows by itself, as the combo box does.
class SortedList final : public PortList {
 public:
  void AddRow(const std::string& entry) override {
    rows.insert(std::upper_bound(rows.begin(), rows.end(), entry), entry);
  }
  void SelectRow(int index) override { selected = index; }
  int SelectedRow() const override { return selected; }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  std::string RowText(int index) const override {
    return index >= 0 && index < RowCount() ? rows[index] : std::string();
  }

  std::vector<std::string> rows;
  int selected = -1;
};

Instance Port(const std::string& instance, const std::string& port) {
  return {instance, {{"FriendlyName", DriverText(port)}}};
}

// An instance of the adapter with `count` values; the value at `at` names `port`.
Instance ManyValues(int count, int at, const std::string& port) {
  Instance instance{"5&many&0&1", {}};
  for (int i = 0; i < count; ++i) {
    const std::string data = i == at ? DriverText(port) : Text("USB\\Vid_067b&Pid_2303");
    instance.values.push_back({"Value" + std::to_string(i), data});
  }
  return instance;
}

// `count` instances; the one at `at` names `port`, the others hold no qualifying value.
std::vector<Instance> ManyInstances(int count, int at, const std::string& port) {
  std::vector<Instance> instances;
  for (int i = 0; i < count; ++i) {
    instances.push_back(i == at ? Port("5&" + std::to_string(i), port)
                                : Instance{"5&" + std::to_string(i), {{"Driver", Text("x")}}});
  }
  return instances;
}

struct FillCase {
  const char* what;
  bool adapterKey;
  std::vector<Instance> instances;
  std::vector<std::string> rows;
};

TEST(PortDiscoveryFill, ListsOneRowPerAdapterPortOrNo) {
  const std::string exactly128(kWording + "COM7)" + std::string(128 - 39, 'x'));
  const std::string longName(600, 'k');
  const FillCase cases[] = {
      {"no adapter key", false, {}, {"NO"}},
      {"adapter key without instances", true, {}, {"NO"}},
      {"rows sort as text", true, {Port("5&a", "COM3"), Port("5&b", "COM10")},
       {"COM10:", "COM3:"}},
      {"two qualifying values in one instance, the second with a longer name and data",
       true,
       {{"5&a",
         {{"FriendlyName", DriverText("COM3")},
          {"FriendlyNameOfTheSecondPort", Text(kWording + "COM12) on the second connector")}}}},
       {"COM12:", "COM3:"}},
      {"two instances naming one port", true, {Port("5&a", "COM4"), Port("5&b", "COM4")},
       {"COM4:", "COM4:"}},
      {"data of 128 characters and its zero does not fit", true,
       {{"5&a",
         {{"Long", Text(kWording + "COM5)" + std::string(128 - 39, ' '))},
          {"Short", DriverText("COM6")}}}},
       {"COM6:"}},
      {"data of exactly 128 bytes without a zero is read as a text", true,
       {{"5&a", {{"Full", exactly128}}}}, {"COM7:"}},
      {"the 30th instance is read, the 31st not", true, ManyInstances(31, 29, "COM2"),
       {"COM2:"}},
      {"the 31st instance is not looked at", true, ManyInstances(31, 30, "COM9"), {"NO"}},
      {"value 39 is read, value 40 not", true, {ManyValues(41, 39, "COM2")}, {"COM2:"}},
      {"value 40 is not looked at", true, {ManyValues(41, 40, "COM9")}, {"NO"}},
      {"an instance that does not open is passed over", true,
       {Port("5&a", "COM3"), {"5&b", {{"FriendlyName", DriverText("COM4")}}, 0, false},
        Port("5&c", "COM5")},
       {"COM3:", "COM5:"}},
      {"a value whose data cannot be read is passed over", true,
       {{"5&a",
         {{"FriendlyName", DriverText("COM3"), 5},
          {"PortName", DriverText("COM4")}}}},
       {"COM4:"}},
      {"a value whose name does not fit is passed over", true,
       {{"5&a", {{longName, DriverText("COM3")}, {"FriendlyName", DriverText("COM4")}}}},
       {"COM4:"}},
      {"an instance whose name cannot be read is passed over, not guessed", true,
       {Port("5&a", "COM3"), {"5&b", {{"FriendlyName", DriverText("COM66")}}, 5},
        {longName, {{"FriendlyName", DriverText("COM67")}}}, Port("5&c", "COM5")},
       {"COM3:", "COM5:"}},
      {"no more instances ends the walk", true,
       {Port("5&a", "COM3"), {"5&b", {}, Registry::kNoMoreItems}, Port("5&c", "COM5")},
       {"COM3:"}},
      {"the driver's wording not at the start", true,
       {{"5&a", {{"FriendlyName", Text("USB " + kWording + "COM3)")}}}}, {"NO"}},
      {"a token without a closing parenthesis", true,
       {{"5&a", {{"FriendlyName", Text(kWording + "COM3")}}}}, {"NO"}},
      {"a port name with other than letters and digits", true, {Port("5&a", "COM3&x")},
       {"NO"}},
  };
  for (const FillCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRegistry registry(c.adapterKey, c.instances);
    SortedList list;
    EXPECT_EQ(PortDiscovery::Fill(list, registry), static_cast<int>(c.rows.size()));
    EXPECT_EQ(list.rows, c.rows);
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(registry.OpenKeys(), 0);
    EXPECT_EQ(registry.misuses, std::vector<std::string>());
  }
}

TEST(PortDiscoveryFill, OpensEachInstanceByTheAdapterKeysFullPath) {
  FakeRegistry registry(true, {Port("5&a", "COM3"), {"5&b", {}, 5}, Port("5&c", "COM4")});
  SortedList list;
  PortDiscovery::Fill(list, registry);
  EXPECT_EQ(registry.opened,
            (std::vector<std::string>{kAdapterKey, kAdapterKey + "5&a", kAdapterKey + "5&c"}));
}

TEST(PortEntryFromDriverText, TakesThePortNameBetweenTheParentheses) {
  const struct {
    std::string text;
    const char* entry;
  } cases[] = {
      {kWording + "COM3)", "COM3:"},
      {kWording + "COM10)", "COM10:"},
      {kWording + "COM3)\r\n", "COM3:"},
      {kWording + "COM3) (second connector)", "COM3:"},
      {kWording + " \tCOM3)", "COM3:"},  // blanks before the token are passed over
      {kWording + "COM3))", ""},         // cut at the last parenthesis: "COM3)"
      {kWording + "COM3)x)", ""},
      {kWording + "COM 3)", ""},
      {kWording + "COM3", ""},
      {kWording + "COM3&x)", ""},
      {kWording + "COM3\")", ""},
      {kWording + ")", ""},
      {kWording, ""},
      {"", ""},
      {" " + kWording + "COM3)", ""},
      {"Prolific USB-to-Serial Comm Port(COM3)", ""},
      {"prolific usb-to-serial comm port (COM3)", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PortEntryFromDriverText(c.text.c_str()), c.entry) << c.text;
}

// Notes every call; the ports in `dead` do not open.
class RecordingPulser final : public PortPulser {
 public:
  explicit RecordingPulser(std::vector<std::string> dead) : dead_(std::move(dead)) {}
  bool Open(const char* portName) override {
    calls.push_back(std::string("open ") + portName);
    return std::find(dead_.begin(), dead_.end(), portName) == dead_.end();
  }
  void StartupBreak() override { calls.push_back("break"); }
  void Close() override { calls.push_back("close"); }

  std::vector<std::string> calls;

 private:
  std::vector<std::string> dead_;
};

TEST(PortDiscoveryPulseAll, BreaksOnEveryListedPortThatOpens) {
  SortedList list;
  for (const char* row : {"COM3:", "COM10:", "COM9:", "COM4:"}) list.AddRow(row);
  RecordingPulser pulser({"COM3"});
  PortDiscovery::PulseAll(list, 3, pulser);  // the row added after start-up is not pulsed
  EXPECT_EQ(pulser.calls, (std::vector<std::string>{"open COM10", "break", "close",
                                                    "open COM3", "open COM4", "break",
                                                    "close"}));
}

TEST(PortDiscoveryPulseAll, TriesThePlaceholderRowAsAPortName) {
  SortedList list;
  list.AddRow("NO");
  RecordingPulser pulser({"NO"});
  PortDiscovery::PulseAll(list, 1, pulser);
  EXPECT_EQ(pulser.calls, std::vector<std::string>{"open NO"});
}

}  // namespace
