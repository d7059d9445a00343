#pragma once
#include <windows.h>

namespace UpdateCommand {
// What the panel's Update button does: checks the module's revision on the selected
// port, puts the firmware onto it and tells the technician the outcome in one message box.
void Run(HWND panel);
}  // namespace UpdateCommand
