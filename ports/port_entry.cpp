#include "ports/port_entry.h"

std::string PortNameFromEntry(const std::string& entry) {
  return entry.substr(0, entry.find(':'));
}
