// MESServer -RegServer | -UnregServer: registers or unregisters the module-exchange server.
// The copy tool runs only while it is registered.
#include <windows.h>

#include <string>

#include "mes_state.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const std::string folder = MesState::FolderOf(nullptr);
  if (lstrcmpiA(commandLine, "-RegServer") == 0) {
    return MesState::Set(folder, MesState::kServer, "registered") ? 0 : 1;
  }
  if (lstrcmpiA(commandLine, "-UnregServer") == 0) {
    return MesState::Clear(folder, MesState::kServer) ? 0 : 1;
  }
  return 2;
}
