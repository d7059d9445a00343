#include "update/transfer_tools_win32.h"

#include <windows.h>

std::string WindowsTransferTools::ProgramPath() {
  char path[260] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  // A path that fills the buffer has been cut short (and may lack its zero).
  if (length == 0 || length >= sizeof path) return std::string();
  return std::string(path, length);
}

void WindowsTransferTools::Run(const std::string& commandLine) {
  WinExec(commandLine.c_str(), SW_HIDE);
}

void WindowsTransferTools::WriteCommandFile(const std::string& path, const std::string& text) {
  DeleteFileA(path.c_str());
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;  // shows up as a missing report later
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

bool WindowsTransferTools::RemoveReport(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool WindowsTransferTools::ReadReport(const std::string& path, char* buffer, std::size_t count) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD read = 0;
  ReadFile(file, buffer, static_cast<DWORD>(count), &read, nullptr);
  CloseHandle(file);
  return true;
}
