#include "link/serial/serial_enumeration.h"

#include <QSerialPortInfo>

namespace qv {

std::vector<SSerInfo> EnumerateSerialPorts() {
  std::vector<SSerInfo> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SerialPortFacts facts;
    facts.device_path = info.systemLocation().toStdString();
    facts.port_name = info.portName().toStdString();
    facts.description = info.description().toStdString();
    facts.manufacturer = info.manufacturer().toStdString();
    facts.has_vendor_id = info.hasVendorIdentifier();
    facts.vendor_id = info.vendorIdentifier();
    facts.has_product_id = info.hasProductIdentifier();
    facts.product_id = info.productIdentifier();
    ports.push_back(MakeSerialInfo(facts));
  }
  return ports;
}

}  // namespace qv
