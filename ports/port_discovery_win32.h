#pragma once

#include "ui/port_list.h"

// Port discovery over the real device registry and the real serial ports, as the main
// window runs it while it is being created.
namespace PortDiscovery {

// Fills the list from the local machine's registry; returns the number of rows.
int Fill(PortList& list);
// The start-up break on the ports of rows 0 to portCount - 1.
void PulseAll(PortList& list, int portCount);

}  // namespace PortDiscovery
