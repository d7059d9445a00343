#pragma once

namespace FirmwareFileChooser {
// Select File: lets the technician pick a firmware file and shows its name and full path in
// the panel. A cancelled choice leaves both fields as they were. Nothing else uses the file:
// the update always takes the "firmware" folder beside the program.
void Choose();
}  // namespace FirmwareFileChooser
