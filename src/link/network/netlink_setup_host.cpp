#include "link/network/netlink_setup_host.h"

#include <arpa/inet.h>
#include <errno.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace qv {
namespace {

using Status = AddressSetupHost::Status;

// Every netlink exchange is bounded, so a silent kernel can never hang the caller.
constexpr int kReplyTimeoutMs = 2000;

Status Failed(const std::string& what, int error) {
  if (error == EPERM || error == EACCES) return {Status::kNotPermitted, std::strerror(error)};
  return {Status::kFailed, what + ": " + std::strerror(error)};
}

// Builds one request: header, fixed part, then attributes.
class Request {
 public:
  Request(uint16_t type, uint16_t flags, const void* body, size_t body_length) {
    buffer_.resize(NLMSG_SPACE(body_length));
    auto* header = reinterpret_cast<nlmsghdr*>(buffer_.data());
    header->nlmsg_type = type;
    header->nlmsg_flags = static_cast<uint16_t>(NLM_F_REQUEST | flags);
    header->nlmsg_seq = 1;
    std::memcpy(NLMSG_DATA(header), body, body_length);
    header->nlmsg_len = static_cast<uint32_t>(NLMSG_LENGTH(body_length));
  }

  void AddAttribute(uint16_t type, const void* data, size_t length) {
    const size_t at = NLMSG_ALIGN(Header()->nlmsg_len);
    buffer_.resize(at + RTA_SPACE(length));
    auto* attribute = reinterpret_cast<rtattr*>(buffer_.data() + at);
    attribute->rta_type = type;
    attribute->rta_len = static_cast<uint16_t>(RTA_LENGTH(length));
    std::memcpy(RTA_DATA(attribute), data, length);
    Header()->nlmsg_len = static_cast<uint32_t>(at + RTA_LENGTH(length));
  }

  const nlmsghdr* Header() const { return reinterpret_cast<const nlmsghdr*>(buffer_.data()); }
  nlmsghdr* Header() { return reinterpret_cast<nlmsghdr*>(buffer_.data()); }

 private:
  std::vector<uint8_t> buffer_;
};

class NetlinkSocket {
 public:
  NetlinkSocket() : fd_(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {}
  ~NetlinkSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  NetlinkSocket(const NetlinkSocket&) = delete;
  NetlinkSocket& operator=(const NetlinkSocket&) = delete;

  // Sends the request and hands every reply message to `on_message` until the kernel says
  // done (an error or acknowledgement, or the end of a dump). Returns 0 or an errno value.
  int Exchange(const Request& request, const std::function<void(const nlmsghdr&)>& on_message) {
    if (fd_ < 0) return errno;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(fd_, request.Header(), request.Header()->nlmsg_len, 0,
                 reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0) {
      return errno;
    }
    const bool dump = (request.Header()->nlmsg_flags & NLM_F_DUMP) == NLM_F_DUMP;
    std::vector<uint8_t> buffer(32768);
    for (;;) {
      pollfd ready{fd_, POLLIN, 0};
      const int polled = ::poll(&ready, 1, kReplyTimeoutMs);
      if (polled == 0) return ETIMEDOUT;
      if (polled < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      const ssize_t got = ::recv(fd_, buffer.data(), buffer.size(), 0);
      if (got < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      int length = static_cast<int>(got);
      // The kernel's NLMSG_OK mixes signed and unsigned lengths.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
      for (auto* message = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(message, length);
           message = NLMSG_NEXT(message, length)) {
        if (message->nlmsg_type == NLMSG_DONE) return 0;
        if (message->nlmsg_type == NLMSG_ERROR) {
          if (message->nlmsg_len < NLMSG_LENGTH(sizeof(nlmsgerr))) return EPROTO;
          const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(message));
          return -error->error;  // 0 is the acknowledgement
        }
        on_message(*message);
        if (!dump) return 0;
      }
#pragma GCC diagnostic pop
    }
  }

 private:
  int fd_;
};

// Calls `on_attribute` for each attribute after the fixed part of `message`.
void ForEachAttribute(const nlmsghdr& message, size_t fixed_length,
                      const std::function<void(const rtattr&)>& on_attribute) {
  if (message.nlmsg_len < NLMSG_LENGTH(fixed_length)) return;
  int length = static_cast<int>(message.nlmsg_len - NLMSG_LENGTH(fixed_length));
  const auto* attribute = reinterpret_cast<const rtattr*>(
      static_cast<const uint8_t*>(NLMSG_DATA(&message)) + NLMSG_ALIGN(fixed_length));
  for (; RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length)) {
    on_attribute(*attribute);
  }
}

uint32_t ToHostOrder(const Ipv4Address& a) {
  return (uint32_t{a[0]} << 24) | (uint32_t{a[1]} << 16) | (uint32_t{a[2]} << 8) | a[3];
}

Ipv4Address FromHostOrder(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

uint32_t PrefixMask(int prefix) {
  return prefix <= 0 ? 0 : prefix >= 32 ? 0xFFFFFFFFu : ~((1u << (32 - prefix)) - 1);
}

Status ChangeNeighbour(uint16_t type, uint16_t flags, int interface_index,
                       const Ipv4Address& address, const MacAddress* mac) {
  ndmsg body{};
  body.ndm_family = AF_INET;
  body.ndm_ifindex = interface_index;
  body.ndm_state = NUD_PERMANENT;
  Request request(type, static_cast<uint16_t>(NLM_F_ACK | flags), &body, sizeof body);
  request.AddAttribute(NDA_DST, address.data(), address.size());
  if (mac != nullptr) request.AddAttribute(NDA_LLADDR, mac->data(), mac->size());
  NetlinkSocket socket;
  const int error = socket.Exchange(request, [](const nlmsghdr&) {});
  if (error != 0) return Failed("neighbour table", error);
  return {};
}

}  // namespace

Status NetlinkSetupHost::RouteInterface(const Ipv4Address& address, int& interface_index) {
  rtmsg body{};
  body.rtm_family = AF_INET;
  body.rtm_dst_len = 32;
  Request request(RTM_GETROUTE, 0, &body, sizeof body);
  request.AddAttribute(RTA_DST, address.data(), address.size());
  int found = 0;
  NetlinkSocket socket;
  const int error = socket.Exchange(request, [&found](const nlmsghdr& message) {
    if (message.nlmsg_type != RTM_NEWROUTE) return;
    ForEachAttribute(message, sizeof(rtmsg), [&found](const rtattr& attribute) {
      if (attribute.rta_type == RTA_OIF && RTA_PAYLOAD(&attribute) >= sizeof(int)) {
        std::memcpy(&found, RTA_DATA(&attribute), sizeof(int));
      }
    });
  });
  if (error != 0) return Failed("route lookup", error);
  if (found <= 0) return {Status::kFailed, "the route names no interface"};
  interface_index = found;
  return {};
}

Status NetlinkSetupHost::InterfaceBroadcast(int interface_index, const Ipv4Address& toward,
                                            Ipv4Address& broadcast) {
  ifaddrmsg body{};
  body.ifa_family = AF_INET;
  Request request(RTM_GETADDR, NLM_F_DUMP, &body, sizeof body);
  // Of the interface's addresses, prefer the one whose subnet holds the target.
  std::optional<uint32_t> first, matching;
  const uint32_t target = ToHostOrder(toward);
  NetlinkSocket socket;
  const int error = socket.Exchange(request, [&](const nlmsghdr& message) {
    if (message.nlmsg_type != RTM_NEWADDR || message.nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg))) {
      return;
    }
    const auto* info = static_cast<const ifaddrmsg*>(NLMSG_DATA(&message));
    if (static_cast<int>(info->ifa_index) != interface_index) return;
    std::optional<uint32_t> local;
    ForEachAttribute(message, sizeof(ifaddrmsg), [&](const rtattr& attribute) {
      if ((attribute.rta_type == IFA_LOCAL || (attribute.rta_type == IFA_ADDRESS && !local)) &&
          RTA_PAYLOAD(&attribute) == 4) {
        Ipv4Address a;
        std::memcpy(a.data(), RTA_DATA(&attribute), 4);
        local = ToHostOrder(a);
      }
    });
    if (!local) return;
    const uint32_t mask = PrefixMask(info->ifa_prefixlen);
    const uint32_t computed = *local | ~mask;
    if (!first) first = computed;
    if (!matching && (*local & mask) == (target & mask)) matching = computed;
  });
  if (error != 0) return Failed("address table", error);
  if (!first) return {Status::kFailed, "the interface has no IPv4 address"};
  broadcast = FromHostOrder(matching ? *matching : *first);
  return {};
}

Status NetlinkSetupHost::AddStaticArp(int interface_index, const Ipv4Address& address,
                                      const MacAddress& mac) {
  return ChangeNeighbour(RTM_NEWNEIGH, NLM_F_CREATE | NLM_F_REPLACE, interface_index, address,
                         &mac);
}

Status NetlinkSetupHost::DeleteStaticArp(int interface_index, const Ipv4Address& address) {
  return ChangeNeighbour(RTM_DELNEIGH, 0, interface_index, address, nullptr);
}

bool NetlinkSetupHost::SendDatagram(const Ipv4Address& to, uint16_t port, const Bytes& packet) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  std::memcpy(&target.sin_addr, to.data(), 4);
  // A datagram send does not block for long; MSG_DONTWAIT keeps it from ever doing so.
  const ssize_t sent = ::sendto(fd, packet.data(), packet.size(), MSG_DONTWAIT,
                                reinterpret_cast<sockaddr*>(&target), sizeof target);
  ::close(fd);
  return sent == static_cast<ssize_t>(packet.size());
}

bool SetStaticIpAddress(Alerts& alerts, const std::string& mac_text,
                        const std::string& address_text) {
  const std::optional<Ipv4Address> address = ParseIpv4(address_text);
  if (!address) {
    alerts.Show(kSetupFailedText, kSetupFailedCaption);
    return false;
  }
  NetlinkSetupHost host;
  return RunAddressSetup(host, alerts, mac_text, *address);
}

}  // namespace qv
