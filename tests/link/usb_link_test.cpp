#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/link/command.h"
#include "link/net_test_support.h"
#include "link/usb/fake_ftdi_driver.h"
#include "link/usb/grindlewhist.h"
#include "link/usb_test_support.h"

namespace qv {
namespace {

using test::Hex;
using test::ToVector;
using test::WaitUntil;
using ::testing::ElementsAre;

// The USB link against the fake driver, with bytes from the "device" injected by the test.
class UsbLinkTest : public ::testing::Test {
 protected:
  UsbLinkTest() {
    driver_.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
    driver_.AddDevice({"RX0300", "Older Receiver", 0x09D6, 0x0300});
    driver_.AddDevice({"FT1234", "USB Serial Converter", 0x0403, 0x6001});
  }

  void StartAndOpen() {
    link_.StartWorker();
    ASSERT_TRUE(test::OpenAndWait(link_, "RX0500"));
  }

  void Deliver(const char* hex) {
    const QByteArray bytes = Hex(hex);
    driver_.DeliverFromDevice("RX0500", test::Data(bytes), static_cast<size_t>(bytes.size()));
  }

  std::vector<std::string> CallsAfter(const std::string& first) {
    const std::vector<std::string> calls = driver_.Calls();
    auto it = std::find(calls.begin(), calls.end(), first);
    return it == calls.end() ? std::vector<std::string>{}
                             : std::vector<std::string>(it, calls.end());
  }

  FakeFtdiDriver driver_;
  CGrindlewhist link_{driver_};
  test::UsbMessageSink sink_{link_};
};

TEST_F(UsbLinkTest, ListsDevicesWithProductAndVendorNames) {
  std::vector<UsbDeviceRecord> devices;
  ASSERT_TRUE(link_.ListDevices(&devices));
  ASSERT_EQ(devices.size(), 3u);
  EXPECT_EQ(devices[0].serial, "RX0500");
  EXPECT_EQ(devices[0].description, "Quorvalin Receiver");
  EXPECT_EQ(devices[0].product, "TRISKADEON");
  EXPECT_EQ(devices[0].vendor, "ZTK, Inc");
  EXPECT_EQ(devices[1].product, "FARNOBELL");
  EXPECT_EQ(devices[1].vendor, "ZTK, Inc");
  EXPECT_EQ(devices[2].product, "Not Available");
  EXPECT_EQ(devices[2].vendor, "Not Available");
  // Every handle opened to ask about a device is closed again.
  EXPECT_EQ(driver_.OpenHandles(), 0);
}

TEST_F(UsbLinkTest, ListingFailuresLeaveNamesEmptyOrTheListEmpty) {
  driver_.SetDeviceInfoFails(true);
  std::vector<UsbDeviceRecord> devices;
  ASSERT_TRUE(link_.ListDevices(&devices));
  ASSERT_EQ(devices.size(), 3u);
  EXPECT_EQ(devices[0].serial, "RX0500");
  EXPECT_EQ(devices[0].product, "");
  EXPECT_EQ(devices[0].vendor, "");
  EXPECT_EQ(driver_.OpenHandles(), 0);

  driver_.SetListFails(true);
  EXPECT_FALSE(link_.ListDevices(&devices));
  EXPECT_TRUE(devices.empty());
}

TEST_F(UsbLinkTest, OpenSetsUpTheConverterAndCloseUndoesIt) {
  StartAndOpen();
  EXPECT_THAT(CallsAfter("Open RX0500"),
              ElementsAre("Open RX0500", "SetDivisor 26", "SetDataCharacteristics 8 0 0",
                          "SetFlowControl 0", "SetDtr", "SetRts", "SetTimeouts 1000 1000",
                          "SetEventNotification 1"));
  EXPECT_TRUE(link_.CUSB::Close());
  EXPECT_THAT(CallsAfter("SetEventNotification 0"),
              ElementsAre("SetEventNotification 0", "ClearRts", "ClearDtr", "Close"));
  EXPECT_EQ(driver_.OpenHandles(), 0);
  // Nothing left to close.
  EXPECT_FALSE(link_.CUSB::Close());
}

TEST_F(UsbLinkTest, OpenFailsForUnknownDevicesAndWhenTheDriverRefuses) {
  link_.StartWorker();
  EXPECT_FALSE(test::OpenAndWait(link_, "NOSUCH"));
  driver_.SetOpenFails(true);
  EXPECT_FALSE(test::OpenAndWait(link_, "RX0500"));
  driver_.SetOpenFails(false);
  EXPECT_TRUE(test::OpenAndWait(link_, "RX0500"));
  // Opening again replaces the first handle rather than leaking it.
  EXPECT_TRUE(test::OpenAndWait(link_, "RX0500"));
  EXPECT_EQ(driver_.OpenHandles(), 1);
}

TEST_F(UsbLinkTest, SendWritesTheFrameWithoutCheckByte) {
  StartAndOpen();
  const Bytes reference_level = BuildSetReferenceLevel(-20);
  ASSERT_TRUE(link_.Send(reference_level.data(), reference_level.size()));
  EXPECT_EQ(driver_.Written("RX0500"), ToVector(Hex("1112 07ECFF 1113")));

  // A span of 17 steps puts a 0x11 into the command; it goes out escaped.
  const Bytes spectrum = BuildSetSpectrum({48000, 17, 1, 1600});
  ASSERT_TRUE(link_.Send(spectrum.data(), spectrum.size()));
  EXPECT_EQ(driver_.Written("RX0500"),
            ToVector(Hex("1112 07ECFF 1113 1112 04 80BB0000 1114000000 0100 4006 1113")));
}

TEST_F(UsbLinkTest, SendFailsWhenNothingCanCarryIt) {
  const Bytes command = BuildRequestFirmware();
  // No worker: nobody could answer, so it fails without waiting for one.
  EXPECT_FALSE(link_.Send(command.data(), command.size()));
  // A worker but no device: the worker answers the failure.
  link_.StartWorker();
  EXPECT_FALSE(link_.Send(command.data(), command.size()));
  EXPECT_TRUE(driver_.Written("RX0500").empty());
  // The driver refusing the write.
  ASSERT_TRUE(test::OpenAndWait(link_, "RX0500"));
  driver_.SetWriteFails(true);
  EXPECT_FALSE(link_.Send(command.data(), command.size()));
  driver_.SetWriteFails(false);
  EXPECT_TRUE(link_.Send(command.data(), command.size()));
}

TEST_F(UsbLinkTest, StartingTwiceLeavesOneWorkerAndItRestartsAfterStopping) {
  link_.StartWorker();
  link_.StartWorker();
  EXPECT_EQ(link_.RunningWorkers(), 1);
  ASSERT_TRUE(test::OpenAndWait(link_, "RX0500"));

  // Stopping closes the open device.
  EXPECT_TRUE(link_.StopWorker());
  EXPECT_EQ(link_.RunningWorkers(), 0);
  EXPECT_FALSE(link_.WorkerRunning());
  EXPECT_EQ(driver_.OpenHandles(), 0);
  EXPECT_TRUE(link_.StopWorker());  // nothing to stop

  link_.StartWorker();
  EXPECT_EQ(link_.RunningWorkers(), 1);
  ASSERT_TRUE(test::OpenAndWait(link_, "RX0500"));
  const Bytes command = BuildRequestSerial();
  EXPECT_TRUE(link_.Send(command.data(), command.size()));
}

TEST_F(UsbLinkTest, CloseKeepsTheWorkerForTheNextOpen) {
  StartAndOpen();
  EXPECT_TRUE(link_.CUSB::Close());
  EXPECT_TRUE(link_.WorkerRunning());
  EXPECT_TRUE(test::OpenAndWait(link_, "RX0500"));
}

TEST_F(UsbLinkTest, ReceivedFramesArriveAsMessages) {
  StartAndOpen();
  Deliver("00 1112 01312E303500 1113 FF");
  // Split in the middle of an escape pair.
  Deliver("1112 02 3132 11");
  Deliver("14 3334 1113");
  ASSERT_TRUE(WaitUntil([&] { return sink_.messages.size() >= 2; }));
  EXPECT_EQ(sink_.messages[0], Hex("01312E303500"));
  EXPECT_EQ(sink_.messages[1], Hex("02313211 3334"));
}

TEST_F(UsbLinkTest, BrokenAndOverLongFramesAreDropped) {
  StartAndOpen();
  Deliver("1112 41 1115 42 1113");      // bad escape
  Deliver("1112 1113");                 // empty
  Deliver("1112 0102 1112 0607 1113");  // a nested start restarts the frame
  QByteArray over_long = Hex("1112");
  over_long += QByteArray(5000, '\x22');
  over_long += Hex("1113");
  driver_.DeliverFromDevice("RX0500", test::Data(over_long), static_cast<size_t>(over_long.size()));
  Deliver("1112 08 00 1113");
  ASSERT_TRUE(WaitUntil([&] { return sink_.messages.size() >= 2; }));
  ASSERT_EQ(sink_.messages.size(), 2u);
  EXPECT_EQ(sink_.messages[0], Hex("0607"));
  EXPECT_EQ(sink_.messages[1], Hex("0800"));
}

// A fast Receiver: the frames of one read cross to the GUI thread in one hand-over, in order,
// not one queued call each.
TEST_F(UsbLinkTest, TheMessagesOfOneReadCrossToTheGuiThreadTogether) {
  StartAndOpen();
  struct CallCounter : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::MetaCall) ++calls;
      return false;
    }
    int calls = 0;
  } counter;
  link_.installEventFilter(&counter);
  QByteArray burst;
  for (char i = 0; i < 40; ++i) burst += Hex("1112 06") + QByteArray(1, char(0x20 + i)) + Hex("1113");
  driver_.DeliverFromDevice("RX0500", test::Data(burst), static_cast<size_t>(burst.size()));
  ASSERT_TRUE(WaitUntil([&] { return sink_.messages.size() >= 40; }));
  for (char i = 0; i < 40; ++i) EXPECT_EQ(sink_.messages[i], Hex("06") + QByteArray(1, char(0x20 + i)));
  EXPECT_EQ(counter.calls, 1);
  link_.removeEventFilter(&counter);
}

TEST_F(UsbLinkTest, NothingArrivesAfterClose) {
  StartAndOpen();
  ASSERT_TRUE(link_.CUSB::Close());
  Deliver("1112 01 1113");
  ASSERT_TRUE(test::OpenAndWait(link_, "RX0500"));
  Deliver("1112 02 1113");
  ASSERT_TRUE(WaitUntil([&] { return !sink_.messages.empty(); }));
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0], Hex("02"));
}

}  // namespace
}  // namespace qv
