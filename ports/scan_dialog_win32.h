#pragma once

namespace ScanDialog {

// What the panel's Scan COM Port button does: the modal scan dialog over the main window,
// which probes every port of the port list on a worker thread and, when the technician
// closes it, selects the first port on which the module identified itself. Returns once
// the dialog has ended and its worker with it; no port of the scan is left open.
void Show();

}  // namespace ScanDialog
