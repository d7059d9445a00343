#include "pty_port.h"

#include <fcntl.h>
#include <limits.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

PtyPort::~PtyPort() {
  // Remove the link only while it still leads here: a later simulator may own it now.
  char target[PATH_MAX] = {};
  if (!link_.empty() && readlink(link_.c_str(), target, sizeof target - 1) > 0 &&
      slaveName_ == target) {
    unlink(link_.c_str());
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
