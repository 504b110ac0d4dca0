#include <gtest/gtest.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QStringList>

#include "link/serial/serial_enumeration.h"
#include "link/serial/udev_serial_monitor.h"
#include "support/fake_serial_monitor.h"

namespace qv {
namespace {

// Whoever watches serial devices sees them through the monitor interface alone.
TEST(SerialMonitorTest, FakeDeliversArrivalAndRemovalInOrder) {
  FakeSerialMonitor fake;
  SerialDeviceMonitor& monitor = fake;
  QStringList events;
  QObject::connect(&monitor, &SerialDeviceMonitor::DeviceArrived,
                   [&](const QString& path) { events << "+" + path; });
  QObject::connect(&monitor, &SerialDeviceMonitor::DeviceRemoved,
                   [&](const QString& path) { events << "-" + path; });
  fake.Arrive(QStringLiteral("/dev/ttyUSB0"));
  fake.Remove(QStringLiteral("/dev/ttyUSB0"));
  fake.Arrive(QStringLiteral("/dev/ttyS4"));
  EXPECT_EQ(events, QStringList({"+/dev/ttyUSB0", "-/dev/ttyUSB0", "+/dev/ttyS4"}));
}

int g_link_messages = 0;
void CountLinkMessages(QtMsgType, const QMessageLogContext& context, const QString&) {
  if (qstrcmp(context.category, "quorvalin.link") == 0) ++g_link_messages;
}

TEST(SerialMonitorTest, UdevMonitorStartsOrSaysWhyOnce) {
  CUdevSerialMonitor monitor;
  g_link_messages = 0;
  // Without udev the reason goes to the link trace, so the trace must be on to count it.
  QLoggingCategory::setFilterRules(QStringLiteral("quorvalin.link=true"));
  const QtMessageHandler previous = qInstallMessageHandler(CountLinkMessages);
  QString reason;
  const bool started = monitor.Start(&reason);
  QString second_reason;
  const bool started_again = monitor.Start(&second_reason);
  qInstallMessageHandler(previous);
  QLoggingCategory::setFilterRules(QString());

  const bool udev_runs = ::access("/run/udev/control", F_OK) == 0;
  EXPECT_EQ(started, udev_runs);
  EXPECT_EQ(started_again, udev_runs);
  EXPECT_EQ(monitor.IsRunning(), udev_runs);
  if (!udev_runs) {
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(second_reason, reason);
    EXPECT_EQ(g_link_messages, 1);  // reported once, however often it is tried
  }
}

// Whatever this machine has, every port found can be shown and opened by path.
TEST(SerialEnumerationTest, EveryPortHasAPathAndAName) {
  for (const SSerInfo& port : EnumerateSerialPorts()) {
    EXPECT_FALSE(port.device_path.empty());
    EXPECT_FALSE(port.friendly_name.empty()) << port.device_path;
    EXPECT_FALSE(port.port_description.empty()) << port.device_path;
  }
}

}  // namespace
}  // namespace qv
