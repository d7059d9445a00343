#pragma once
#include <cstddef>
#include <string>

// What the firmware transfer needs of the system around it: the module-exchange programs
// are started, never waited for, and judged afterwards by the reports they leave beside
// the tool. On Windows these are WinExec and the file calls; tests record them and keep a
// fake clock.
class TransferTools {
 public:
  // Full path of the running program; empty when it could not be had whole.
  virtual std::string ProgramPath() = 0;
  // Starts a command line hidden and returns at once; whether it started is not known.
  virtual void Run(const std::string& commandLine) = 0;
  // Replaces the file with exactly the text's characters (no line end, no zero).
  virtual void WriteCommandFile(const std::string& path, const std::string& text) = 0;
  // Removes a report an earlier run left behind: true when no file is left at path.
  virtual bool RemoveReport(const std::string& path) = 0;
  // One read of at most count bytes into the start of buffer; false when the report
  // cannot be opened.
  virtual bool ReadReport(const std::string& path, char* buffer, std::size_t count) = 0;
  virtual void Pause(unsigned milliseconds) = 0;

 protected:
  ~TransferTools() = default;
};
