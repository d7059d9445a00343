#include "update/transfer_files.h"

#include <cctype>
#include <initializer_list>

namespace {
const std::string::size_type kLongestText = 512 - 1;

// The command interpreter expands % even inside quotes; in a command file %% stands for
// one %.
std::string QuotedForCommandFile(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return quoted + "\"";
}
}  // namespace

bool ExeDirFromProgramPath(const std::string& programPath, std::string& exeDir) {
  const std::string::size_type slash = programPath.rfind('\\');
  if (slash == std::string::npos) return false;
  exeDir = programPath.substr(0, slash);
  return true;
}

bool IsPlainPortName(const std::string& portName) {
  if (portName.empty()) return false;
  for (char c : portName) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool BuildTransferFiles(const std::string& exeDir, const std::string& portName,
                        TransferFiles& files) {
  const std::string dir = exeDir + "\\";
  files.portCommandFile = dir + "Port.bat";
  files.portReport = dir + "Port.txt";
  files.copyCommandFile = dir + "Update.bat";
  files.copyReport = dir + "Update.txt";
  files.portStageCall = "\"" + files.portCommandFile + "\"";
  files.copyStageCall = "\"" + files.copyCommandFile + "\"";
  files.portStageLine = QuotedForCommandFile(dir + "MESPort.exe") + " " + portName + " > " +
                        QuotedForCommandFile(files.portReport);
  files.copyStageLine = QuotedForCommandFile(dir + "MESXCopy.exe") + " " +
                        QuotedForCommandFile(exeDir + "\\firmware") + " mod:a:/ > " +
                        QuotedForCommandFile(files.copyReport);
  for (const std::string* text :
       {&files.portCommandFile, &files.portReport, &files.copyCommandFile, &files.copyReport,
        &files.portStageCall, &files.copyStageCall, &files.portStageLine,
        &files.copyStageLine}) {
    if (text->size() > kLongestText) return false;
  }
  return true;
}
