#pragma once
#include <windows.h>

#include <string>

// The module-exchange stand-ins keep what they were told in small files in their own
// folder, so that each finds what the others did:
//   MESShellExt.registered, MESServer.registered  present while registered
//   MESPort.port                                   the port on which the module answered
namespace MesState {
extern const char kExtension[];
extern const char kServer[];
extern const char kPort[];

// The folder the given module (nullptr: this program) was loaded from.
std::string FolderOf(HMODULE module);
bool Has(const std::string& folder, const char* name);
// False when the file could not be written whole.
bool Set(const std::string& folder, const char* name, const std::string& text);
// True when the file is gone afterwards (or was never there).
bool Clear(const std::string& folder, const char* name);
std::string Read(const std::string& folder, const char* name);
}  // namespace MesState
