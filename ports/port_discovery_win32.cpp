#include "ports/port_discovery_win32.h"

#include <windows.h>

#include <optional>

#include "link/serial_link_win32.h"
#include "ports/port_discovery.h"

namespace {

class MachineRegistry final : public Registry {
 public:
  long OpenMachineKey(const char* path, Key* key) override {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &opened);
    if (result == ERROR_SUCCESS) *key = opened;
    return result;
  }
  long EnumKey(Key key, unsigned long index, char* name, unsigned long* nameSize) override {
    return RegEnumKeyExA(Handle(key), index, name, nameSize, nullptr, nullptr, nullptr,
                         nullptr);
  }
  long EnumValue(Key key, unsigned long index, char* name, unsigned long* nameSize) override {
    return RegEnumValueA(Handle(key), index, name, nameSize, nullptr, nullptr, nullptr,
                         nullptr);
  }
  long QueryValue(Key key, const char* valueName, unsigned char* data,
                  unsigned long* dataSize) override {
    return RegQueryValueExA(Handle(key), valueName, nullptr, nullptr, data, dataSize);
  }
  void CloseKey(Key key) override { RegCloseKey(Handle(key)); }

 private:
  static HKEY Handle(Key key) { return static_cast<HKEY>(key); }
};

// Each port gets a link of its own, as every other user of a port does.
class SerialLinkPulser final : public PortPulser {
 public:
  bool Open(const char* portName) override {
    link_.emplace();
    link_->Open(portName);
    return link_->IsOpen();
  }
  void StartupBreak() override { link_->StartupBreakPulse(); }
  void Close() override {
    link_->Close();
    link_.reset();
  }

 private:
  std::optional<SerialLink> link_;
};

}  // namespace

int PortDiscovery::Fill(PortList& list) {
  MachineRegistry registry;
  return Fill(list, registry);
}

void PortDiscovery::PulseAll(PortList& list, int portCount) {
  SerialLinkPulser pulser;
  PulseAll(list, portCount, pulser);
}
