#pragma once

#include "ports/port_pulser.h"
#include "ports/registry.h"
#include "ui/port_list.h"

// The port list as the program starts: one row per adapter port that the device registry
// knows, or the row "NO"; then a break on every listed port.
namespace PortDiscovery {

// Adds the rows, selects row 0 and returns the number of rows, which stays the program's
// port count from then on.
int Fill(PortList& list, Registry& registry);

// The start-up break on the ports of rows 0 to portCount - 1; a port that does not open is
// passed over.
void PulseAll(PortList& list, int portCount, PortPulser& pulser);

}  // namespace PortDiscovery
