#pragma once
#include <string>

// The module's end of the line: a pseudo-terminal whose slave a Windows program opens as
// a COM port through a symbolic link (Wine maps COMn to $WINEPREFIX/dosdevices/comn).
class PtyPort {
 public:
  PtyPort() = default;
  ~PtyPort();
  PtyPort(const PtyPort&) = delete;
  PtyPort& operator=(const PtyPort&) = delete;

  // Opens the pseudo-terminal and links it as linkPath; with watchOpens, other processes'
  // opening and closing of the slave can be read from WatchFd. False with a reason.
  bool Start(const std::string& linkPath, bool watchOpens, std::string& error);

  int MasterFd() const { return master_; }
  int WatchFd() const { return watch_; }
  const std::string& SlaveName() const { return slaveName_; }

  // Sends what it can without waiting: a device that talks while nobody reads loses its
  // words instead of blocking the simulator.
  void Write(const std::string& bytes);
  // Appends "open" and "close" lines for the watch events that have arrived.
  void TakeOpenEvents(std::string& lines);

 private:
  int master_ = -1;
  // Kept open for the simulator's whole life: otherwise the master reads end-of-file
  // errors each time the Windows program closes the port.
  int slave_ = -1;
  int watch_ = -1;
  int keeper_ = -1;  // the child that holds the slave as its controlling terminal
  std::string slaveName_;
  std::string link_;
};
