#include "ui/port_list_win32.h"

void ComboPortList::AddRow(const std::string& entry) {
  SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

void ComboPortList::SelectRow(int index) {
  SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int ComboPortList::SelectedRow() const {
  return static_cast<int>(SendMessageA(combo_, CB_GETCURSEL, 0, 0));
}

int ComboPortList::RowCount() const {
  return static_cast<int>(SendMessageA(combo_, CB_GETCOUNT, 0, 0));
}

std::string ComboPortList::RowText(int index) const {
  // Ask for the length first: CB_GETLBTEXT writes the whole row, whatever the buffer.
  LRESULT length = SendMessageA(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT got = SendMessageA(combo_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
  return text;
}
