#include "support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace zul::test {

PtyPair::PtyPair() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) return;
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    close(master_);
    master_ = -1;
    return;
  }
  slavePath_ = ptsname(master_);
  slaveKeepAlive_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
  termios t{};
  if (slaveKeepAlive_ >= 0 && tcgetattr(slaveKeepAlive_, &t) == 0) {
    cfmakeraw(&t);
    tcsetattr(slaveKeepAlive_, TCSANOW, &t);
  }
}

PtyPair::~PtyPair() {
  if (slaveKeepAlive_ >= 0) close(slaveKeepAlive_);
  if (master_ >= 0) close(master_);
}

std::vector<uint8_t> PtyPair::Receive(size_t count, int timeoutMs) {
  std::vector<uint8_t> out;
  while (out.size() < count) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) break;
    uint8_t buf[512];
    ssize_t n = read(master_, buf, std::min(sizeof buf, count - out.size()));
    if (n <= 0) break;
    out.insert(out.end(), buf, buf + n);
  }
  return out;
}

void PtyPair::Send(const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
}

}  // namespace zul::test
