#pragma once

namespace AboutDialog {
// The version information behind the menu's About. Modal over the main window; it has no
// button and closes on Escape or its close box.
void Show();
}  // namespace AboutDialog
