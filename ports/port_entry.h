#pragma once
#include <string>

// A port-list row is a port name and one colon ("COM3:"), or the placeholder "NO" when
// no adapter port was found. The port name is the text before the first colon; a row
// without a colon is taken whole, so "NO" names the port NO, which no system has.
std::string PortNameFromEntry(const std::string& entry);
