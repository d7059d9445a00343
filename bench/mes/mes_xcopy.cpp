// MESXCopy <folder> mod:a:/: copies every file of the folder onto the module's drive a:/
// over the port MESPort found, one file-write dialogue a file:
//   tool:   AT+KVWRITE="<name>",<size>\r
//   module: (echo) \r\nCONNECT\r\n           then takes exactly <size> raw bytes
//   module: \r\n+KVWRITE: <size>,<crc32, 8 lowercase hex digits>\r\n\r\nOK\r\n
// A file counts as copied only when the module's size and CRC-32 match the tool's own.
// Its output is the copy stage's report: "<n> file(s) copied" when every file arrived, and
// a line without a count on any failure.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/module-sim/crc32.h"
#include "mes_state.h"
#include "module_port.h"

namespace {
// The module's own limits on a written file.
const std::size_t kLongestName = 64;
const DWORD kLargestFile = 16u * 1024 * 1024;

struct SourceFile {
  std::string name;
  std::vector<unsigned char> data;
};

bool IsModuleFileName(const std::string& name) {
  if (name.empty() || name.size() > kLongestName) return false;
  for (char c : name) {
    const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                         (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    if (!allowed) return false;
  }
  return true;
}

bool ReadWhole(const std::string& path, DWORD size, std::vector<unsigned char>& data) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  data.resize(size);
  DWORD read = 0;
  const BOOL ok = size == 0 || ReadFile(file, data.data(), size, &read, nullptr);
  CloseHandle(file);
  return ok && read == size;
}

// Every plain file of the folder, read whole before anything is sent; false with the
// reason in failure.
bool ReadFolder(const std::string& folder, std::vector<SourceFile>& files, std::string& failure) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    failure = "source folder " + folder + " not found";
    return false;
  }
  bool ok = true;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    SourceFile file{found.cFileName, {}};
    if (!IsModuleFileName(file.name) || found.nFileSizeHigh != 0 ||
        found.nFileSizeLow > kLargestFile) {
      failure = file.name + " cannot be written to the module (name or size)";
      ok = false;
    } else if (!ReadWhole(folder + "\\" + file.name, found.nFileSizeLow, file.data)) {
      failure = file.name + " could not be read";
      ok = false;
    } else {
      files.push_back(std::move(file));
    }
  } while (ok && FindNextFileA(search, &found));
  FindClose(search);
  return ok;
}

bool WriteToModule(ModulePort& port, const SourceFile& file, std::string& failure) {
  const std::string size = std::to_string(file.data.size());
  if (!port.Send("AT+KVWRITE=\"" + file.name + "\"," + size + "\r") ||
      port.ReadUntil("CONNECT\r\n", "ERROR", 5000).find("CONNECT\r\n") == std::string::npos) {
    failure = "the module refused " + file.name;
    return false;
  }
  if (!port.Send(file.data.data(), file.data.size())) {
    failure = "sending " + file.name + " stalled";
    return false;
  }
  const std::string answer = port.ReadUntil("\r\nOK\r\n", "ERROR", 10000);
  char expected[64];
  std::snprintf(expected, sizeof expected, "+KVWRITE: %s,%08lx\r\n", size.c_str(),
                static_cast<unsigned long>(Crc32Update(0, file.data.data(), file.data.size())));
  if (answer.find(expected) == std::string::npos || answer.find("\r\nOK\r\n") == std::string::npos) {
    failure = file.name + " did not arrive intact";
    return false;
  }
  return true;
}

bool Copy(const std::string& folder, int& copied, std::string& failure) {
  const std::string tools = MesState::FolderOf(nullptr);
  if (!MesState::Has(tools, MesState::kServer) || !MesState::Has(tools, MesState::kExtension)) {
    failure = "the module-exchange server or extension is not registered";
    return false;
  }
  const std::string portName = MesState::Read(tools, MesState::kPort);
  if (portName.empty()) {
    failure = "no port set; run MESPort first";
    return false;
  }
  std::vector<SourceFile> files;
  if (!ReadFolder(folder, files, failure)) return false;
  ModulePort port;
  DWORD error = 0;
  if (!port.Open(portName, error)) {
    failure = "port " + portName + " could not be opened (error " + std::to_string(error) + ")";
    return false;
  }
  for (const SourceFile& file : files) {
    if (!WriteToModule(port, file, failure)) return false;
    std::printf("%s\\%s\n", folder.c_str(), file.name.c_str());
    ++copied;
  }
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::string(argv[2]) != "mod:a:/") {
    std::printf("usage: MESXCopy <folder> mod:a:/\n");
    return 2;
  }
  int copied = 0;
  std::string failure;
  if (!Copy(argv[1], copied, failure)) {
    // No count here: the tool takes any count for a copy.
    std::printf("Copy failed: %s\n", failure.c_str());
    return 1;
  }
  std::printf("%d file(s) copied\n", copied);
  return 0;
}
