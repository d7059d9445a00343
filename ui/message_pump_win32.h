#pragma once

// Pauses the user-interface thread during the update's long waits without letting Windows
// take the window for hung: the thread keeps painting its windows and answering messages
// sent by other threads and programs, while clicks, keys and posted commands are thrown
// away (the update takes no other input, then or afterwards). A quit request is kept.
void PauseServicingWindows(unsigned milliseconds);
