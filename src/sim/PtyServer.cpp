#include "sim/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace zul {
namespace {

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

bool PtyServer::Open(const std::string& linkPath, std::string* error) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) {
    *error = Errno("posix_openpt");
    return false;
  }
  const char* name = nullptr;
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || (name = ptsname(master_)) == nullptr) {
    *error = Errno("pseudo-terminal set-up");
    Close();
    return false;
  }
  terminal_ = name;
  slave_ = open(terminal_.c_str(), O_RDWR | O_NOCTTY);
  if (slave_ < 0) {
    *error = Errno("open " + terminal_);
    Close();
    return false;
  }
  termios raw{};
  if (tcgetattr(slave_, &raw) == 0) {
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
  }
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

  struct stat st {};
  if (lstat(linkPath.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      *error = linkPath + " exists and is not a symbolic link; not replacing it";
      Close();
      return false;
    }
    unlink(linkPath.c_str());
  }
  if (symlink(terminal_.c_str(), linkPath.c_str()) != 0) {
    *error = Errno("symlink " + linkPath);
    Close();
    return false;
  }
  link_ = linkPath;
  return true;
}

void PtyServer::Close() {
  if (!link_.empty()) {
    char target[PATH_MAX];
    ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string(target, static_cast<size_t>(n)) == terminal_) unlink(link_.c_str());
    link_.clear();
  }
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  slave_ = master_ = -1;
}

void PtyServer::Answer(const std::vector<std::vector<uint8_t>>& frames, int64_t nowMs) {
  for (const auto& frame : frames) {
    Reply reply = bus_.Deliver(frame);
    if (reply.bytes.empty()) continue;
    // The clock counts whole milliseconds; a paced answer starts at the next
    // one so that it never leaves early.
    Outgoing out{std::move(reply.bytes), 0, nowMs + reply.delayMs + (baud_ > 0 ? 1 : 0)};
    auto at = std::upper_bound(outgoing_.begin(), outgoing_.end(), out.startMs,
                               [](int64_t t, const Outgoing& o) { return t < o.startMs; });
    outgoing_.insert(at, std::move(out));
  }
}

void PtyServer::Receive(int64_t nowMs) {
  uint8_t buffer[4096];
  for (;;) {
    ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) break;
    Answer(assembler_.Feed(buffer, static_cast<size_t>(n), nowMs), nowMs);
  }
}

bool PtyServer::Send(int64_t nowMs) {
  while (!outgoing_.empty() && outgoing_.front().startMs <= nowMs) {
    Outgoing& out = outgoing_.front();
    size_t allowed = out.bytes.size();
    if (baud_ > 0) {
      // A character takes 11 bits; it leaves once the line could have carried it whole.
      int64_t carried = (nowMs - out.startMs) * baud_ / 11000;
      allowed = std::min(allowed, static_cast<size_t>(carried));
    }
    if (allowed > out.sent) {
      ssize_t n = write(master_, out.bytes.data() + out.sent, allowed - out.sent);
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (n > 0) out.sent += static_cast<size_t>(n);
    }
    if (out.sent < out.bytes.size()) break;
    // The next answer cannot start before this one has left.
    int64_t done = baud_ > 0 ? out.startMs + static_cast<int64_t>(out.bytes.size()) * 11000 / baud_ : nowMs;
    outgoing_.pop_front();
    for (auto& next : outgoing_) next.startMs = std::max(next.startMs, done);
  }
  return true;
}

int64_t PtyServer::NextWakeMs(int64_t nowMs) const {
  int64_t wake = nowMs + 200;
  if (auto deadline = assembler_.Deadline()) wake = std::min(wake, *deadline);
  if (!outgoing_.empty()) {
    const Outgoing& out = outgoing_.front();
    int64_t next = out.startMs;
    if (baud_ > 0) next = out.startMs + (static_cast<int64_t>(out.sent + 1) * 11000 + baud_ - 1) / baud_;
    if (out.sent > 0 && baud_ == 0) next = nowMs + 5;  // the pty was full; try again soon
    wake = std::min(wake, next);
  }
  return std::max(wake, nowMs);
}

bool PtyServer::Serve(int stopFd, std::string* error) {
  for (;;) {
    int64_t now = clock_.NowMs();
    Answer(assembler_.Tick(now), now);
    if (!Send(now)) {
      *error = Errno("write to the pseudo-terminal");
      return false;
    }
    pollfd fds[2] = {{master_, POLLIN, 0}, {stopFd, POLLIN, 0}};
    int timeout = static_cast<int>(NextWakeMs(now) - now);
    int ready = poll(fds, 2, timeout);
    if (ready < 0) {
      if (errno == EINTR) continue;
      *error = Errno("poll");
      return false;
    }
    if (fds[1].revents != 0) return true;
    if (fds[0].revents & POLLIN) Receive(clock_.NowMs());
    if (fds[0].revents & (POLLERR | POLLNVAL)) {
      *error = "the pseudo-terminal failed";
      return false;
    }
  }
}

}  // namespace zul
