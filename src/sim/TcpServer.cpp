#include "sim/TcpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/link/Crc16.h"
#include "core/link/Mbap.h"
#include "core/link/ModbusLink.h"

namespace zul {
namespace {

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

bool TcpServer::Open(int port, std::string* error) {
  listen_ = socket(AF_INET, SOCK_STREAM, 0);
  if (listen_ < 0) {
    *error = Errno("socket");
    return false;
  }
  int one = 1;
  setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never beyond this machine
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listen_, 8) != 0) {
    *error = Errno("listen on 127.0.0.1:" + std::to_string(port));
    Close();
    return false;
  }
  socklen_t size = sizeof address;
  getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  SetNonBlocking(listen_);
  return true;
}

void TcpServer::Close() {
  for (auto& c : connections_) close(c->fd);
  connections_.clear();
  if (listen_ >= 0) close(listen_);
  listen_ = -1;
}

std::string TcpServer::PortName() const {
  return std::string(modbusTcp_ ? "mbtcp" : "tcp") + "://127.0.0.1:" + std::to_string(port_);
}

void TcpServer::Accept() {
  for (;;) {
    const int fd = accept(listen_, nullptr, nullptr);
    if (fd < 0) return;
    SetNonBlocking(fd);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    c->assembler = FrameAssembler(gapMs_);
    connections_.push_back(std::move(c));
  }
}

void TcpServer::Answer(Connection& c, const std::vector<uint8_t>& rtu, uint16_t transaction, int64_t nowMs) {
  Reply reply = bus_.Deliver(rtu);
  if (hangUp_.count(++requests_)) {
    c.closing = true;
    return;
  }
  if (reply.bytes.empty()) return;
  if (modbusTcp_) {
    // A gateway forwards only what it heard whole from the line; a garbled
    // answer is as good as none, and the master tries again.
    if (reply.bytes.size() < 4 || !CrcMatches(reply.bytes)) return;
    reply.bytes = RtuToMbap(reply.bytes, transaction);
  }
  Outgoing out{std::move(reply.bytes), 0, nowMs + reply.delayMs};
  auto at = std::upper_bound(c.outgoing.begin(), c.outgoing.end(), out.startMs,
                             [](int64_t t, const Outgoing& o) { return t < o.startMs; });
  c.outgoing.insert(at, std::move(out));
}

void TcpServer::Receive(Connection& c, int64_t nowMs) {
  uint8_t buffer[4096];
  for (;;) {
    const ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
      c.closing = true;
      return;
    }
    if (n < 0) return;
    if (!modbusTcp_) {
      for (const auto& frame : c.assembler.Feed(buffer, static_cast<size_t>(n), nowMs))
        Answer(c, frame, 0, nowMs);
      continue;
    }
    c.pending.insert(c.pending.end(), buffer, buffer + n);
    for (;;) {
      const MbapParse parse = ParseMbap(c.pending, kFrameBufferSize - 2);
      if (parse.status == MbapStatus::Incomplete) break;
      if (parse.status != MbapStatus::Ok) {
        c.closing = true;  // out of step: a gateway drops such a client
        return;
      }
      c.pending.erase(c.pending.begin(), c.pending.begin() + static_cast<std::ptrdiff_t>(parse.consumed));
      Answer(c, MbapToRtu(parse.frame), parse.frame.transaction, nowMs);
      if (c.closing) return;
    }
  }
}

void TcpServer::Send(Connection& c, int64_t nowMs) {
  while (!c.outgoing.empty() && c.outgoing.front().startMs <= nowMs) {
    Outgoing& out = c.outgoing.front();
    const ssize_t n = send(c.fd, out.bytes.data() + out.sent, out.bytes.size() - out.sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno != EAGAIN && errno != EINTR) c.closing = true;
      return;
    }
    out.sent += static_cast<size_t>(n);
    if (out.sent < out.bytes.size()) return;
    c.outgoing.pop_front();
  }
}

int64_t TcpServer::NextWakeMs(int64_t nowMs) const {
  int64_t wake = nowMs + 200;
  for (const auto& c : connections_) {
    if (auto deadline = c->assembler.Deadline()) wake = std::min(wake, *deadline);
    if (!c->outgoing.empty()) {
      const Outgoing& out = c->outgoing.front();
      wake = std::min(wake, out.sent > 0 ? nowMs + 5 : out.startMs);
    }
  }
  return std::max(wake, nowMs);
}

bool TcpServer::Serve(int stopFd, std::string* error) {
  for (;;) {
    int64_t now = clock_.NowMs();
    for (auto& c : connections_) {
      for (const auto& frame : c->assembler.Tick(now)) Answer(*c, frame, 0, now);
      Send(*c, now);
    }
    std::erase_if(connections_, [](const std::unique_ptr<Connection>& c) {
      if (c->closing) close(c->fd);
      return c->closing;
    });

    std::vector<pollfd> fds = {{stopFd, POLLIN, 0}, {listen_, POLLIN, 0}};
    for (const auto& c : connections_) fds.push_back({c->fd, POLLIN, 0});
    const int ready = poll(fds.data(), fds.size(), static_cast<int>(NextWakeMs(now) - now));
    if (ready < 0) {
      if (errno == EINTR) continue;
      *error = Errno("poll");
      return false;
    }
    if (fds[0].revents != 0) return true;
    if (fds[1].revents & (POLLERR | POLLNVAL)) {
      *error = "the listening socket failed";
      return false;
    }
    if (fds[1].revents & POLLIN) Accept();
    now = clock_.NowMs();
    for (size_t i = 2; i < fds.size(); ++i) {
      if (fds[i].revents != 0) Receive(*connections_[i - 2], now);
    }
  }
}

}  // namespace zul
