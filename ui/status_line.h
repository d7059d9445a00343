#pragma once

// The one-line progress text under the Update button.
class StatusLine {
 public:
  virtual void SetText(const char* text) = 0;

 protected:
  ~StatusLine() = default;
};
