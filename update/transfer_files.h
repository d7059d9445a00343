#pragma once
#include <string>

// Every path and command line one transfer hands to Windows and to the command
// interpreter, all beside the tool (in ExeDir).
struct TransferFiles {
  std::string portCommandFile;  // ExeDir\Port.bat
  std::string portReport;       // ExeDir\Port.txt
  std::string copyCommandFile;  // ExeDir\Update.bat
  std::string copyReport;       // ExeDir\Update.txt
  std::string portStageCall;    // "ExeDir\Port.bat", started as it is
  std::string copyStageCall;    // "ExeDir\Update.bat"
  std::string portStageLine;    // what Port.bat holds
  std::string copyStageLine;    // what Update.bat holds
};

// The tool's folder: the program's full path up to, not including, its last backslash.
// False for a path without a backslash (an empty one included).
bool ExeDirFromProgramPath(const std::string& programPath, std::string& exeDir);

// The port name stands unquoted in Port.bat, where the command interpreter would act on
// any of its special characters: only letters and digits (COM3, COM10) may go there.
bool IsPlainPortName(const std::string& portName);

// False when a path or line would not fit the 512-byte working buffers (511 characters
// and the zero): the copy-stage line holds ExeDir three times, so a tool folder of more
// than about 150 characters cannot be served, and is refused rather than cut short.
bool BuildTransferFiles(const std::string& exeDir, const std::string& portName,
                        TransferFiles& files);
