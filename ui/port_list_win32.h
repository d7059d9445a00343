#pragma once
#include <windows.h>

#include "ui/port_list.h"

// The port list as the panel shows it: a sorted drop-down combo box.
class ComboPortList final : public PortList {
 public:
  explicit ComboPortList(HWND combo) : combo_(combo) {}
  void AddRow(const std::string& entry) override;
  void SelectRow(int index) override;
  int SelectedRow() const override;
  int RowCount() const override;
  std::string RowText(int index) const override;

 private:
  HWND combo_;
};
