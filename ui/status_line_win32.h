#pragma once
#include <windows.h>

#include "ui/status_line.h"

// The status line as the panel shows it: a static text control.
class StaticStatusLine final : public StatusLine {
 public:
  explicit StaticStatusLine(HWND label) : label_(label) {}
  void SetText(const char* text) override { SetWindowTextA(label_, text); }

 private:
  HWND label_;
};
