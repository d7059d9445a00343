#pragma once
#include <windows.h>

// The working surface inside the main window: a frameless child dialog holding the port
// list, the buttons and the status line, laid out for the technician's two steps.
namespace ControlPanel {
// Creates the panel from the template "TestDialog" as a child of the main window.
HWND Create(HWND mainWindow);

// Lets the panel take the technician's keys as a dialog does (Tab between the controls,
// Enter for Update). True when the panel used the message; the loop then skips it.
bool TakeDialogKey(MSG* message);
}  // namespace ControlPanel
