// The scan dialog and its worker: who owns what, and who may touch which window.
//
// - Two threads. The user-interface thread owns the dialog, its controls and the panel's
//   port list; it alone changes them. The worker thread only probes ports: it reads the
//   port list and reaches the dialog by window messages (scan_worker_win32.h), which the
//   user-interface thread answers in its dialog loop and in every wait of its own.
// - The dialog takes the worker's label and result messages only until its closing or
//   ending begins, so nothing the worker sends late can overwrite "Break Scan.".
// - A talking device: the worker closes its port and posts; the message box and the end
//   of the dialog happen here, on the dialog's thread.
// - Stopping the worker: a stop event (which the worker checks between its steps and
//   waits on in its pauses, and which silences its line) and the cancelling of a read in
//   progress; the waits for it keep answering its messages, so neither thread can hold
//   the other. Forced termination is left for the last of ten tries of three seconds.
// - The port handle: the worker opens it, publishes it in g_app.ScanPortHandle, takes it
//   back atomically and closes it itself. Nobody else closes it while the worker may still
//   run, so a handle is never closed under a read in progress, closed twice, or closed
//   after Windows has given its value to something else. Only a worker that had to be
//   forced leaves it behind; then the dialog releases it.
#include "ports/scan_dialog_win32.h"

#include <windows.h>

#include <string>

#include "ports/scan_closing.h"
#include "ports/scan_worker_win32.h"
#include "res/resource.h"
#include "ui/app_state_win32.h"
#include "ui/message_pump_win32.h"
#include "ui/port_list_win32.h"

namespace {

struct ScanSession {
  ScanWorkerThread worker;
  bool ending = false;  // closing or ending has begun; OK, cancel and the worker are ignored
};

class ScanDialogControls final : public ScanDialogView {
 public:
  explicit ScanDialogControls(HWND dialog) : dialog_(dialog) {}

  std::string Label() override {
    char text[128] = {};
    GetDlgItemTextA(dialog_, IDC_SCAN_LABEL, text, sizeof text);
    return text;
  }

  void SetLabel(const std::string& text) override {
    SetDlgItemTextA(dialog_, IDC_SCAN_LABEL, text.c_str());
  }

  std::string ResultRow(int index) override {
    // LB_GETTEXT writes the whole row, whatever the buffer: ask for its length first.
    const LRESULT length = SendDlgItemMessageA(dialog_, IDC_SCAN_LIST, LB_GETTEXTLEN,
                                               static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT got = SendDlgItemMessageA(dialog_, IDC_SCAN_LIST, LB_GETTEXT,
                                            static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
  }

  void Pause(unsigned milliseconds) override { PauseServicingWindows(milliseconds); }

 private:
  HWND dialog_;
};

HWND PanelPortList() { return GetDlgItem(g_app.PanelWindow, IDC_PORT_LIST); }

void CloseScan(HWND dialog, ScanSession& session) {
  session.ending = true;
  ScanDialogControls controls(dialog);
  ComboPortList ports(PanelPortList());
  ScanClosing::Run(controls, session.worker, ports, g_app.PortCount);
  EndDialog(dialog, 0);
}

void EndOnTalkingDevice(HWND dialog, ScanSession& session) {
  session.ending = true;
  MessageBoxA(dialog, "Please enter setting mode.", "ERROR", MB_OK);
  ScanClosing::StopWorker(session.worker);
  EndDialog(dialog, 0);
}

INT_PTR CALLBACK ScanDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* session = reinterpret_cast<ScanSession*>(lParam);
    session->worker.Start(dialog, PanelPortList(), g_app.PortCount);
    return TRUE;
  }
  auto* session = reinterpret_cast<ScanSession*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (session == nullptr) return FALSE;
  switch (message) {
    case kScanSetLabelMessage:
      if (!session->ending) {
        SetDlgItemTextA(dialog, IDC_SCAN_LABEL, reinterpret_cast<LPCSTR>(lParam));
      }
      return TRUE;
    case kScanInsertResultMessage:
      // At the worker's index: the list's sort style must not move a row away from its port.
      if (!session->ending) {
        SendDlgItemMessageA(dialog, IDC_SCAN_LIST, LB_INSERTSTRING, wParam, lParam);
      }
      return TRUE;
    case kScanTalkingDeviceMessage:
      if (!session->ending) EndOnTalkingDevice(dialog, *session);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDC_SCAN_OK && LOWORD(wParam) != IDCANCEL) return FALSE;
      if (!session->ending) CloseScan(dialog, *session);
      return TRUE;
    case WM_DESTROY:
      // Ended some other way (the program's end): the worker still must not outlive it.
      ScanClosing::StopWorker(session->worker);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

namespace ScanDialog {

void Show() {
  ScanSession session;
  DialogBoxParamA(g_app.Instance, MAKEINTRESOURCEA(IDD_SCAN), g_app.MainWindow,
                  ScanDialogProcedure, reinterpret_cast<LPARAM>(&session));
}

}  // namespace ScanDialog
