// module-sim: plays the device's module on a pseudo-terminal for the tool under Wine.
// See --help and README.md.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "module.h"
#include "options.h"
#include "pty_port.h"

namespace {

// An append-only record file (the byte log, the open/close events); none when no path.
class Record {
 public:
  explicit Record(const std::string& path)
      : wanted_(!path.empty()),
        fd_(wanted_ ? open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1) {}
  ~Record() {
    if (fd_ >= 0) close(fd_);
  }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  bool Failed() const { return wanted_ && fd_ < 0; }
  void Append(const char* data, std::size_t size) {
    if (fd_ < 0 || size == 0) return;
    if (write(fd_, data, size) < 0) perror("module-sim: record");
  }

 private:
  bool wanted_;
  int fd_;
};

// The sign for scripts and tests that the module answers. It goes last, after the link,
// so whoever sees it gone knows the simulator has finished.
class ReadyFile {
 public:
  explicit ReadyFile(std::string path) : path_(std::move(path)) {
    if (!path_.empty()) unlink(path_.c_str());
  }
  ~ReadyFile() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  ReadyFile(const ReadyFile&) = delete;
  ReadyFile& operator=(const ReadyFile&) = delete;

  // Written under a temporary name and renamed, so a reader never sees it half written.
  bool Write() const {
    if (path_.empty()) return true;
    const std::string partial = path_ + ".partial";
    FILE* file = std::fopen(partial.c_str(), "w");
    if (!file) return false;
    std::fprintf(file, "%ld\n", static_cast<long>(getpid()));
    return std::fclose(file) == 0 && std::rename(partial.c_str(), path_.c_str()) == 0;
  }

 private:
  std::string path_;
};

int MillisecondsUntil(Clock::time_point due, Clock::time_point now) {
  if (due == Clock::time_point::max()) return -1;
  if (due <= now) return 0;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
  return wait > 60000 ? 60000 : static_cast<int>(wait);
}

int Run(const Options& options) {
  // Signals arrive as readable data, so they end the loop and the link is removed.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGHUP);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);

  Record log(options.log);
  Record events(options.events);
  if (log.Failed() || events.Failed()) {
    std::fprintf(stderr, "module-sim: cannot open the log or the events file\n");
    return 1;
  }
  ReadyFile ready(options.ready);
  PtyPort port;
  std::string error;
  if (!port.Start(options.link, !options.events.empty(), error)) {
    std::fprintf(stderr, "module-sim: %s\n", error.c_str());
    return 1;
  }
  Module module(options.scenario, options.store, options.stallLimit);
  if (!ready.Write()) {
    std::fprintf(stderr, "module-sim: cannot write %s\n", options.ready.c_str());
    return 1;
  }
  std::fprintf(stderr, "module-sim: %s is %s\n", options.link.c_str(),
               port.SlaveName().c_str());

  const Clock::time_point end = options.lifetime.count() > 0
                                    ? Clock::now() + options.lifetime
                                    : Clock::time_point::max();
  while (!module.Gone()) {
    Clock::time_point now = Clock::now();
    if (now >= end) break;
    std::string out;
    module.Tick(now, out);
    port.Write(out);

    pollfd fds[3] = {
        {port.MasterFd(), POLLIN, 0}, {signals, POLLIN, 0}, {port.WatchFd(), POLLIN, 0}};
    const int wait = MillisecondsUntil(std::min(module.NextDue(), end), now);
    if (poll(fds, port.WatchFd() >= 0 ? 3 : 2, wait) < 0) break;
    if (fds[1].revents & POLLIN) break;
    if (fds[2].revents & POLLIN) {
      std::string lines;
      port.TakeOpenEvents(lines);
      events.Append(lines.data(), lines.size());
    }
    if (fds[0].revents & POLLIN) {
      char received[4096];
      const ssize_t n = read(port.MasterFd(), received, sizeof received);
      if (n > 0) {
        log.Append(received, static_cast<std::size_t>(n));
        out.clear();
        module.Receive(received, static_cast<std::size_t>(n), Clock::now(), out);
        port.Write(out);
      }
    }
  }
  close(signals);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "module-sim: %s (see module-sim --help)\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return Run(options);
}
