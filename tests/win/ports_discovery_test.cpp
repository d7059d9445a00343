// Port discovery over the registry of the Wine prefix: the test writes the adapter's keys
// as its driver does, and removes them again.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ports/port_discovery_win32.h"
#include "ui/port_list_win32.h"

namespace {

const char kAdapterKey[] = "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_067b&Pid_2303";
const std::string kWording = "Prolific USB-to-Serial Comm Port (";

class PortDiscoveryRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveAdapterKey();
    combo_ = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(combo_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(combo_);
    RemoveAdapterKey();
  }

  static void RemoveAdapterKey() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kAdapterKey); }

  // Stores the value's bytes exactly as given, without adding a terminating zero.
  static void WriteValue(const std::string& instance, const char* name, DWORD type,
                         const std::string& data) {
    const std::string path = std::string(kAdapterKey) + "\\" + instance;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static void WriteFriendlyName(const std::string& instance, const std::string& text) {
    WriteValue(instance, "FriendlyName", REG_SZ, text + '\0');
  }

  HWND combo_ = nullptr;
};

TEST_F(PortDiscoveryRegistry, WithoutTheAdapterKeyListsNoAndSelectsIt) {
  ComboPortList list(combo_);
  EXPECT_EQ(PortDiscovery::Fill(list), 1);
  EXPECT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.RowText(0), "NO");
  EXPECT_EQ(list.SelectedRow(), 0);
}

TEST_F(PortDiscoveryRegistry, ListsTheDriversPortsSortedWithRowZeroSelected) {
  WriteFriendlyName("5&2a3f1e&0&1", kWording + "COM3)");
  WriteValue("5&2a3f1e&0&1", "DeviceDesc", REG_SZ, std::string("Prolific USB-to-Serial") + '\0');
  WriteFriendlyName("5&2a3f1e&0&2", kWording + "COM10)");
  WriteFriendlyName("5&2a3f1e&0&3", kWording + "COM3)");
  WriteFriendlyName("5&2a3f1e&0&4", "USB " + kWording + "COM4)");
  WriteFriendlyName("5&2a3f1e&0&5", kWording + "COM5&x)");
  // 128 bytes with no zero fit the buffer and are read as a text; 128 characters with
  // their zero do not fit and are passed over.
  const std::string full = kWording + "COM7)" + std::string(128 - 39, 'x');
  WriteValue("5&2a3f1e&0&6", "Full", REG_BINARY, full);
  WriteFriendlyName("5&2a3f1e&0&6", kWording + "COM8)" + std::string(128 - 39, 'x'));

  ComboPortList list(combo_);
  EXPECT_EQ(PortDiscovery::Fill(list), 4);
  ASSERT_EQ(list.RowCount(), 4);
  EXPECT_EQ(list.RowText(0), "COM10:");
  EXPECT_EQ(list.RowText(1), "COM3:");
  EXPECT_EQ(list.RowText(2), "COM3:");
  EXPECT_EQ(list.RowText(3), "COM7:");
  EXPECT_EQ(list.SelectedRow(), 0);
}

}  // namespace

// Run by ports_discovery_pulse_test.sh, which puts the module simulator on COM5 and COM6,
// leaves COM4 without a port, and then checks that each simulator saw its port opened and
// closed exactly once.
TEST(PortDiscoveryPulseRealTime, BreaksOnEveryListedPortThatOpens) {
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(combo, nullptr);
  ComboPortList list(combo);
  for (const char* row : {"COM6:", "COM5:", "COM4:"}) list.AddRow(row);
  PortDiscovery::PulseAll(list, list.RowCount());
  DestroyWindow(combo);
}
