#pragma once
#include <string>

// The technician's list of adapter ports (the panel's drop-down list). The list keeps its
// rows in alphabetical order by itself, so a row's index is known only after it is added.
class PortList {
 public:
  virtual void AddRow(const std::string& entry) = 0;
  virtual void SelectRow(int index) = 0;
  virtual int SelectedRow() const = 0;  // -1 when no row is selected
  virtual int RowCount() const = 0;
  virtual std::string RowText(int index) const = 0;  // empty for an index with no row

 protected:
  ~PortList() = default;
};
