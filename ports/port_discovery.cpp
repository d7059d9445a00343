#include "ports/port_discovery.h"

#include <cstring>
#include <string>

#include "ports/driver_port_name.h"
#include "ports/port_entry.h"

namespace {

// The adapter's instances, one subkey each. The path keeps its trailing backslash so that
// a subkey's full path is this text followed by the subkey's name.
const char kAdapterKey[] = "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_067b&Pid_2303\\";
const unsigned long kMostInstances = 30;
const unsigned long kMostValues = 40;
const unsigned long kNameBytes = 512;
const unsigned long kDataBytes = 128;

// Adds a row for every value of the instance's key that names an adapter port; returns
// how many it added.
int AddInstancePorts(PortList& list, Registry& registry, Registry::Key instance) {
  int added = 0;
  for (unsigned long index = 0; index < kMostValues; ++index) {
    char name[kNameBytes] = {};
    unsigned long nameSize = sizeof name;
    if (registry.EnumValue(instance, index, name, &nameSize) != Registry::kSuccess) continue;

    // One byte more than is asked for, so that data filling all of it still ends in a zero.
    unsigned char data[kDataBytes + 1] = {};
    unsigned long dataSize = kDataBytes;
    if (registry.QueryValue(instance, name, data, &dataSize) != Registry::kSuccess) continue;

    const std::string entry = PortEntryFromDriverText(reinterpret_cast<const char*>(data));
    if (entry.empty()) continue;
    list.AddRow(entry);
    ++added;
  }
  return added;
}

}  // namespace

int PortDiscovery::Fill(PortList& list, Registry& registry) {
  int found = 0;
  Registry::Key adapter = nullptr;
  if (registry.OpenMachineKey(kAdapterKey, &adapter) == Registry::kSuccess) {
    for (unsigned long index = 0; index < kMostInstances; ++index) {
      char name[kNameBytes] = {};
      unsigned long nameSize = sizeof name;
      const long result = registry.EnumKey(adapter, index, name, &nameSize);
      if (result == Registry::kNoMoreItems) break;
      // A name that could not be read is not guessed at: this instance is passed over.
      if (result != Registry::kSuccess) continue;

      const std::string path = kAdapterKey + std::string(name, strnlen(name, sizeof name));
      Registry::Key instance = nullptr;
      if (registry.OpenMachineKey(path.c_str(), &instance) != Registry::kSuccess) continue;
      found += AddInstancePorts(list, registry, instance);
      registry.CloseKey(instance);
    }
    registry.CloseKey(adapter);
  }
  if (found == 0) list.AddRow("NO");
  list.SelectRow(0);
  return list.RowCount();
}

void PortDiscovery::PulseAll(PortList& list, int portCount, PortPulser& pulser) {
  for (int row = 0; row < portCount; ++row) {
    const std::string port = PortNameFromEntry(list.RowText(row));
    if (!pulser.Open(port.c_str())) continue;
    pulser.StartupBreak();
    pulser.Close();
  }
}
