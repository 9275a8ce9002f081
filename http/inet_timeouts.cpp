#include <atomic>

#include "http/inet.h"

namespace idwatch {
namespace {

std::atomic<std::uint32_t> connectMs{InetTimeouts{}.connectMs};
std::atomic<std::uint32_t> sendMs{InetTimeouts{}.sendMs};
std::atomic<std::uint32_t> receiveMs{InetTimeouts{}.receiveMs};

}  // namespace

void SetInetTimeouts(const InetTimeouts& timeouts) {
  connectMs = timeouts.connectMs;
  sendMs = timeouts.sendMs;
  receiveMs = timeouts.receiveMs;
}

InetTimeouts CurrentInetTimeouts() { return {connectMs.load(), sendMs.load(), receiveMs.load()}; }

}  // namespace idwatch
