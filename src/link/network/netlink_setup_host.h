#pragma once

#include <string>

#include "core/app/alerts.h"
#include "core/link/network_setup.h"

namespace qv {

// The address set-up's view of the system through rtnetlink: the route and address tables,
// static neighbour (ARP) entries, and a UDP broadcast. Changing the neighbour table needs
// CAP_NET_ADMIN; the lookups do not.
class NetlinkSetupHost : public AddressSetupHost {
 public:
  Status RouteInterface(const Ipv4Address& address, int& interface_index) override;
  Status InterfaceBroadcast(int interface_index, const Ipv4Address& toward,
                            Ipv4Address& broadcast) override;
  Status AddStaticArp(int interface_index, const Ipv4Address& address,
                      const MacAddress& mac) override;
  Status DeleteStaticArp(int interface_index, const Ipv4Address& address) override;
  bool SendDatagram(const Ipv4Address& to, uint16_t port, const Bytes& packet) override;
};

// The Static IP page's "Set IP address": the address text as "a.b.c.d" and the MAC text as the
// user typed them. Shows every outcome through `alerts`; true when the set-up packet went out.
bool SetStaticIpAddress(Alerts& alerts, const std::string& mac_text,
                        const std::string& address_text);

}  // namespace qv
