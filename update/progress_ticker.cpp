#include "update/progress_ticker.h"

namespace {
// The Update command has already shown one dot, so the first tick shows two.
const char* const kTickTexts[] = {
    "Update now! Please Wait..",    "Update now! Please Wait...",
    "Update now! Please Wait....",  "Update now! Please Wait.....",
    "Update now! Please Wait.",
};
const int kTickTextCount = sizeof kTickTexts / sizeof kTickTexts[0];
}  // namespace

void ProgressTicker::Wait(int ticks) {
  for (int i = 0; i < ticks; ++i) {
    tools_.Pause(1000);
    status_.SetText(kTickTexts[ticks_ % kTickTextCount]);
    ++ticks_;
  }
}
