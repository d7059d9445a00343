// MESPort <port>: opens the module's port and checks that the module answers. Its output
// is the port stage's report: a line with "successfully" only when the module answered.
// The port is remembered for the copy tool.
#include <cstdio>
#include <string>

#include "mes_state.h"
#include "module_port.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: MESPort <port>\n");
    return 2;
  }
  const std::string portName = argv[1];
  ModulePort port;
  DWORD error = 0;
  if (!port.Open(portName, error)) {
    std::printf("Port %s could not be opened (error %lu)\n", portName.c_str(), error);
    return 1;
  }
  const std::string answer = port.Send("at\r") ? port.ReadUntil("OK\r\n", "ERROR", 1000) : "";
  if (answer.find("OK\r\n") == std::string::npos) {
    std::printf("Port %s opened, but the module does not answer at\n", portName.c_str());
    return 1;
  }
  if (!MesState::Set(MesState::FolderOf(nullptr), MesState::kPort, portName)) {
    std::printf("Port %s answers, but it could not be remembered\n", portName.c_str());
    return 1;
  }
  std::printf("Port %s opened successfully, module answers\n", portName.c_str());
  return 0;
}
