#pragma once
#include <string>

// The adapter's driver names each of its ports in the device registry with a text such as
//   Prolific USB-to-Serial Comm Port (COM3)
// Returns the port-list row for such a text ("COM3:"), or an empty text when the text does
// not start with the driver's wording, its token has no closing parenthesis, or the port
// name is not made only of letters and digits (it later stands unquoted in a command file).
std::string PortEntryFromDriverText(const char* text);
