#include "pty_port.h"

#include <fcntl.h>
#include <limits.h>
#include <pty.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Wine opens a COM port inside its server, a session leader with no terminal, so the
// pseudo-terminal would become that server's controlling terminal; when the simulator
// ends, the hang-up would then make the server dump its object tables into whatever
// output it holds (a test's log, thousands of lines). A child of ours takes the slave as
// its own controlling terminal first and keeps it until we end. Returns the child, or -1.
pid_t KeepAsControllingTerminal(int master, int slave) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t parent = getpid();
  const pid_t keeper = fork();
  if (keeper == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(0);  // the simulator ended before we got here
    close(master);
    close(ready[0]);
    if (setsid() >= 0) ioctl(slave, TIOCSCTTY, 0);
    const char done = 1;
    (void)!write(ready[1], &done, 1);
    close(ready[1]);
    for (;;) pause();
  }
  close(ready[1]);
  char done = 0;
  if (keeper > 0) (void)!read(ready[0], &done, 1);
  close(ready[0]);
  return keeper;
}

}  // namespace

PtyPort::~PtyPort() {
  // Remove the link only while it still leads here: a later simulator may own it now.
  char target[PATH_MAX] = {};
  if (!link_.empty() && readlink(link_.c_str(), target, sizeof target - 1) > 0 &&
      slaveName_ == target) {
    unlink(link_.c_str());
  }
  if (keeper_ > 0) {
    kill(keeper_, SIGKILL);
    waitpid(keeper_, nullptr, 0);
  }
  if (watch_ >= 0) close(watch_);
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
}

bool PtyPort::Start(const std::string& linkPath, bool watchOpens, std::string& error) {
  char name[PATH_MAX] = {};
  if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  slaveName_ = name;
  // A new slave echoes and translates line ends; the module's line must pass bytes as
  // they are, from the first one on.
  termios raw{};
  tcgetattr(slave_, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave_, TCSANOW, &raw);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  keeper_ = KeepAsControllingTerminal(master_, slave_);

  if (watchOpens) {
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ < 0 ||
        inotify_add_watch(watch_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
      error = std::string("cannot watch ") + name + ": " + std::strerror(errno);
      return false;
    }
  }

  struct stat existing {};
  if (lstat(linkPath.c_str(), &existing) == 0 && unlink(linkPath.c_str()) != 0) {
    error = "cannot replace " + linkPath + ": " + std::strerror(errno);
    return false;
  }
  if (symlink(name, linkPath.c_str()) != 0) {
    error = "cannot link " + linkPath + ": " + std::strerror(errno);
    return false;
  }
  link_ = linkPath;
  return true;
}

void PtyPort::Write(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

void PtyPort::TakeOpenEvents(std::string& lines) {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t n = read(watch_, buffer, sizeof buffer);
    if (n <= 0) return;
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->mask & IN_OPEN) lines += "open\n";
      if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) lines += "close\n";
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}
