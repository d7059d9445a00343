// MESShellExt.dll: the module-exchange shell extension, registered by REGSVR32. The copy
// tool runs only while it is registered.
#include <windows.h>

#include "mes_state.h"

namespace {
HMODULE g_self = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = self;
  return TRUE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
  return MesState::Set(MesState::FolderOf(g_self), MesState::kExtension, "registered")
             ? S_OK
             : E_FAIL;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  return MesState::Clear(MesState::FolderOf(g_self), MesState::kExtension) ? S_OK : E_FAIL;
}
