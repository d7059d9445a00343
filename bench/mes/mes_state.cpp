#include "mes_state.h"

namespace MesState {
const char kExtension[] = "MESShellExt.registered";
const char kServer[] = "MESServer.registered";
const char kPort[] = "MESPort.port";

std::string FolderOf(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  std::string folder(path, length);
  return folder.substr(0, folder.rfind('\\') + 1);
}

bool Has(const std::string& folder, const char* name) {
  return GetFileAttributesA((folder + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Set(const std::string& folder, const char* name, const std::string& text) {
  HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

bool Clear(const std::string& folder, const char* name) {
  return DeleteFileA((folder + name).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::string Read(const std::string& folder, const char* name) {
  HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  char text[128] = {};
  DWORD read = 0;
  ReadFile(file, text, sizeof text - 1, &read, nullptr);
  CloseHandle(file);
  return std::string(text, read);
}
}  // namespace MesState
