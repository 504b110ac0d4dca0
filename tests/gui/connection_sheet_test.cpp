#include "gui/link/connection_sheet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUdpSocket>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/app/manual_clock.h"
#include "gui/display/display.h"
#include "gui/link/ip_address_edit.h"
#include "gui/link/pp_dhcp.h"
#include "gui/link/pp_internet.h"
#include "gui/link/pp_serial_port.h"
#include "gui/link/pp_static_ip.h"
#include "gui/link/pp_usb.h"
#include "link/net_test_support.h"
#include "link/network/client_socket.h"
#include "link/usb/fake_ftdi_driver.h"
#include "link/usb/grindlewhist.h"
#include "link/usb_test_support.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

using test::RandomLoopbackAddress;
using test::WaitUntil;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string kAttempting = "Attempting Connection....\nWaiting for Response";
const std::string kCheck =
    "Please Check the CF Card Connection and the \n Power Supply to the Quorvalin Receiver.\n "
    "Try Again after verification";
const std::string kTcpEstablished =
    "TCP/IP Connection Established\n Waiting for Receiver Parameters...";
const std::string kUsbEstablished =
    "USB Connection Established\n Waiting for Receiver Parameters...";

class RecordingProgress : public ProgressView {
 public:
  void SetProgressText(const std::string& text) override {
    if (!text.empty()) texts.push_back(text);
  }
  void ShowProgress() override {}
  void HideProgress() override {}
  std::vector<std::string> texts;
};

// A TCP listener on a loopback address of its own that counts the connections it gets.
struct Listener {
  explicit Listener(quint16 port = 0) {
    address = RandomLoopbackAddress();
    listening = server.listen(address, port);
  }
  int Accepted() {
    while (server.hasPendingConnections()) {
      server.nextPendingConnection();
      ++accepted;
    }
    return accepted;
  }
  QTcpServer server;
  QHostAddress address;
  bool listening = false;
  int accepted = 0;
};

void TypeAddress(CIpAddressEdit* edit, const QHostAddress& address) {
  const QStringList parts = address.toString().split(QLatin1Char('.'));
  for (int i = 0; i < 4; ++i) {
    edit->Field(i)->clear();
    QTest::keyClicks(edit->Field(i), parts[i]);
  }
}

class ConnectionSheetTest : public ::testing::Test {
 protected:
  ConnectionSheetTest() {
    sheet_.SetPortEnumerator([this] { return ports_; });
    // Discovery stays on loopback: a port nobody answers on unless a test says otherwise.
    sheet_.SetDiscoveryTarget(RandomLoopbackAddress(), 9);
  }
  ~ConnectionSheetTest() override { sheet_.hide(); }

  void Visit(int index) { sheet_.Tabs()->setCurrentIndex(index); }
  void ClickOk() {
    QTest::mouseClick(sheet_.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
  }
  void ClickCancel() {
    QTest::mouseClick(sheet_.Buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
  }

  bool RunUntil(const std::function<bool()>& done) { return test::RunWithClock(clock_, done); }
  int Count(const std::string& text) const {
    return static_cast<int>(std::count(progress_.texts.begin(), progress_.texts.end(), text));
  }

  ManualClock clock_;
  RecordingAlerts alerts_;
  RecordingProgress progress_;
  InstrumentSession session_{clock_, alerts_};
  HandshakeSequencer& sequencer_ = session_.Sequencer();
  bool progress_set_ = (session_.SetProgress(&progress_), true);
  CDisplay display_{clock_, session_, alerts_};
  FakeFtdiDriver usb_driver_;
  std::vector<SSerInfo> ports_;
  CConnectionEx sheet_{clock_, alerts_, display_, session_, usb_driver_};
};

// Connected over TCP, the user looks at the other pages and cancels: the link in use stays the
// one whose messages reach the graph, whose loss is reported and which commands go to.
TEST_F(ConnectionSheetTest, BrowsingThePagesLeavesTheLinkInUseAsItWas) {
  test::RawPeer receiver;
  ASSERT_TRUE(receiver.listening);
  sheet_.ConnectTcp(receiver.address.toString(), receiver.server.serverPort());
  ASSERT_TRUE(RunUntil([this] { return sheet_.State().connected == 1; }));
  ASSERT_TRUE(receiver.WaitForClient());
  QSignalSpy lost(&sheet_, &CConnectionEx::LinkLost);

  sheet_.Present();
  EXPECT_EQ(sheet_.windowTitle(), "Set up Connection");
  Visit(kUsbInterface);
  Visit(kStaticIpInterface);
  Visit(kDhcpInterface);
  ClickCancel();
  EXPECT_FALSE(sheet_.isVisible());
  EXPECT_EQ(sheet_.State().interface_index, kInternetInterface);
  EXPECT_EQ(sheet_.State().connected, 1);

  receiver.socket->write(test::Hex("111201312e3035001113"));  // firmware "1.05"
  EXPECT_TRUE(WaitUntil([this] { return display_.Handler().FirmwareText() == "1.05"; }));
  const Bytes request = BuildRequestBands();
  EXPECT_TRUE(sheet_.Ops().SendCommand(request));
  EXPECT_TRUE(WaitUntil([&] { return receiver.received.endsWith(test::Hex("111208081113")); }));
  receiver.socket->close();
  EXPECT_TRUE(WaitUntil([&] { return lost.count() == 1; }));
}

TEST_F(ConnectionSheetTest, SheetOpensOnFirstPageWithItsCaptions) {
  sheet_.Present();
  Visit(kStaticIpInterface);
  ClickCancel();
  sheet_.Present();
  QTabWidget* tabs = sheet_.Tabs();
  EXPECT_EQ(tabs->currentIndex(), kSerialInterface);
  std::vector<QString> captions;
  for (int i = 0; i < tabs->count(); ++i) captions.push_back(tabs->tabText(i));
  EXPECT_THAT(captions,
              ElementsAre("Serial Port/CF Card", "USB ", "Internet", "DHCP", "Static IP Address"));
}

// Every visited page says "Attempting Connection" in tab order; only the active page opens its
// link, and a page visited in an earlier showing takes no part.
TEST_F(ConnectionSheetTest, ConnectStepsRunForCreatedPagesInTabOrder) {
  quint16 refused_port = 0;
  QHostAddress refused_address;
  {
    Listener closed;
    ASSERT_TRUE(closed.listening);
    refused_port = closed.server.serverPort();
    refused_address = closed.address;
  }
  sheet_.SetReceiverPort(refused_port);

  sheet_.Present();
  Visit(kUsbInterface);  // created in this showing only
  ClickCancel();
  alerts_.shown.clear();  // the empty USB listing's message

  sheet_.Present();
  Visit(kStaticIpInterface);
  Visit(kInternetInterface);
  TypeAddress(sheet_.InternetPage()->Address(), refused_address);
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return Count(kAttempting) == 3; }));
  EXPECT_THAT(progress_.texts, ElementsAre(kAttempting, kAttempting, kCheck, kAttempting));
  EXPECT_EQ(sheet_.State().connected, 0);
  EXPECT_THAT(alerts_.shown, IsEmpty());  // a refused connection has no page message
}

TEST_F(ConnectionSheetTest, SerialPageConfirmedOpensNoOtherLinkEvenAfterVisits) {
  Listener internet;
  Listener static_ip(internet.server.serverPort());
  ASSERT_TRUE(internet.listening && static_ip.listening);
  sheet_.SetReceiverPort(internet.server.serverPort());
  usb_driver_.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  ports_ = {{"/nonexistent/ttyQV0", "ttyQV0", "Receiver card (ttyQV0)", false, "Receiver card"}};

  sheet_.Present();
  Visit(kUsbInterface);
  sheet_.UsbPage()->List()->setCurrentItem(sheet_.UsbPage()->List()->topLevelItem(0));
  Visit(kInternetInterface);
  TypeAddress(sheet_.InternetPage()->Address(), internet.address);
  Visit(kDhcpInterface);
  Visit(kStaticIpInterface);
  TypeAddress(sheet_.StaticIpPage()->Address(), static_ip.address);
  Visit(kSerialInterface);
  ClickOk();

  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 1 && Count(kAttempting) == 5; }));
  QTest::qWait(20);
  EXPECT_EQ(internet.Accepted(), 0);
  EXPECT_EQ(static_ip.Accepted(), 0);
  EXPECT_THAT(usb_driver_.Calls(), Not(Contains("Open RX0500")));
  EXPECT_THAT(alerts_.shown, ElementsAre(RecordingAlerts::Shown{
                                 "/nonexistent/ttyQV0 port could not be openend", "Alert !"}));
  EXPECT_EQ(sheet_.State().interface_index, kSerialInterface);
  EXPECT_EQ(sheet_.State().connected, 0);
}

TEST_F(ConnectionSheetTest, StaticIpPageConfirmedOpensOnlyItsSocket) {
  Listener internet;
  Listener static_ip(internet.server.serverPort());
  ASSERT_TRUE(internet.listening && static_ip.listening);
  sheet_.SetReceiverPort(internet.server.serverPort());

  sheet_.Present();
  Visit(kInternetInterface);
  TypeAddress(sheet_.InternetPage()->Address(), internet.address);
  Visit(kStaticIpInterface);
  TypeAddress(sheet_.StaticIpPage()->Address(), static_ip.address);
  ClickOk();

  ASSERT_TRUE(RunUntil([this] { return sheet_.State().connected == 1; }));
  ASSERT_TRUE(WaitUntil([&] { return static_ip.Accepted() == 1; }));
  EXPECT_EQ(internet.Accepted(), 0);
  EXPECT_TRUE(sheet_.Socket(kStaticIpInterface).IsConnected());
  EXPECT_FALSE(sheet_.Socket(kInternetInterface).IsConnected());
  EXPECT_EQ(sheet_.State().interface_index, kStaticIpInterface);
  EXPECT_EQ(sheet_.AddressText(kStaticIpInterface), static_ip.address.toString());
  EXPECT_EQ(Count(kTcpEstablished), 1);
}

// The link remembered from the last run: its page comes up with its address or device, and OK
// connects there, port included.
TEST_F(ConnectionSheetTest, RememberedLinkIsPreselectedAndConnectsAsBefore) {
  ports_ = {{"/dev/ttyS0", "ttyS0", "Port A (ttyS0)", false, "Port A"}};
  sheet_.SetPreselection({kSerialInterface, "/dev/pts/9", RememberedLink::kDefaultPort});
  sheet_.Present();
  EXPECT_EQ(sheet_.Tabs()->currentIndex(), kSerialInterface);
  EXPECT_EQ(sheet_.SerialPage()->DevicePath(), QStringLiteral("/dev/pts/9"));
  ClickCancel();

  Listener receiver;
  ASSERT_TRUE(receiver.listening);
  const RememberedLink remembered{kInternetInterface, receiver.address.toString().toStdString(),
                                  receiver.server.serverPort()};
  sheet_.SetPreselection(remembered);
  sheet_.Present();
  EXPECT_EQ(sheet_.Tabs()->currentIndex(), kInternetInterface);
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return sheet_.State().connected == 1; }));
  ASSERT_TRUE(WaitUntil([&] { return receiver.Accepted() == 1; }));
  EXPECT_EQ(sheet_.LastLink(), remembered);
}

TEST_F(ConnectionSheetTest, DhcpListsRepliesAndNeedsASelectedRow) {
  QUdpSocket module;
  const QHostAddress module_address = RandomLoopbackAddress();
  ASSERT_TRUE(module.bind(module_address, 0));
  sheet_.SetDiscoveryTarget(module_address, module.localPort());

  sheet_.Present();
  Visit(kDhcpInterface);
  ASSERT_TRUE(WaitUntil([&] { return module.hasPendingDatagrams(); }));
  const QNetworkDatagram query = module.receiveDatagram();
  EXPECT_EQ(query.data(), QByteArray::fromHex("000000F6"));
  QByteArray reply(24, '\0');
  reply += QByteArray::fromHex("00204A910B2D");
  module.writeDatagram(reply, query.senderAddress(), static_cast<quint16>(query.senderPort()));

  QTreeWidget* list = sheet_.DhcpPage()->List();
  ASSERT_TRUE(WaitUntil([&] { return list->topLevelItemCount() == 1; }));
  EXPECT_EQ(list->topLevelItem(0)->text(0), module_address.toString());
  EXPECT_EQ(list->topLevelItem(0)->text(1), "00-20-4A-91-0B-2D");

  ClickOk();  // no row selected
  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 1; }));
  EXPECT_EQ(sheet_.State().connected, 0);
}

TEST_F(ConnectionSheetTest, UsbListingNamesRowsAndReportsEmptyOrFailedListing) {
  usb_driver_.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  usb_driver_.AddDevice({"RX0300", "Older Receiver", 0x09D6, 0x0300});
  sheet_.Present();
  Visit(kUsbInterface);
  QTreeWidget* list = sheet_.UsbPage()->List();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(sheet_.State().interface_index, kSerialInterface);  // looking is not choosing
  EXPECT_EQ(list->topLevelItem(0)->text(0), "RX0500");
  EXPECT_EQ(list->topLevelItem(0)->text(1), "TRISKADEON");
  EXPECT_EQ(list->topLevelItem(0)->text(2), "ZTK, Inc");
  EXPECT_EQ(list->topLevelItem(1)->text(1), "FARNOBELL");
  EXPECT_THAT(alerts_.shown, IsEmpty());

  EXPECT_EQ(sheet_.UsbPage()->Status(), "");

  // What is missing is said on the page; no box comes up.
  usb_driver_.SetListFails(true);
  QTest::mouseClick(sheet_.UsbPage()->RefreshButton(), Qt::LeftButton);
  EXPECT_EQ(list->topLevelItemCount(), 0);
  EXPECT_EQ(sheet_.UsbPage()->Status(),
            "No Quorvalin USB Devices Found\nPlease check the USB Connection and click Refresh");
  usb_driver_.SetListFails(false);
  usb_driver_.Unplug("RX0500");
  usb_driver_.Unplug("RX0300");
  Visit(kInternetInterface);
  Visit(kUsbInterface);
  EXPECT_EQ(sheet_.UsbPage()->Status(),
            "No USB Devices have been found\nPlease check the USB Connection and click Refresh");
  EXPECT_THAT(alerts_.shown, IsEmpty());
}

TEST_F(ConnectionSheetTest, OpensCentredOnItsWindowAtTheSameSizeEachTime) {
  QWidget window;
  window.setGeometry(40, 30, 720, 540);
  window.show();
  sheet_.setParent(&window, sheet_.windowFlags());
  sheet_.Present();
  const QSize size = sheet_.size();
  EXPECT_EQ(sheet_.geometry().center(), window.geometry().center());
  Visit(kUsbInterface);
  Visit(kDhcpInterface);
  ClickCancel();

  window.move(60, 40);
  sheet_.Present();
  EXPECT_EQ(sheet_.size(), size);
  EXPECT_EQ(sheet_.geometry().center(), window.geometry().center());
  sheet_.hide();
  sheet_.setParent(nullptr, sheet_.windowFlags());
}

TEST_F(ConnectionSheetTest, UsbWorkerRunsOnceWhileThePageIsShownAndStopsWhenLeft) {
  usb_driver_.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  sheet_.Present();
  Visit(kUsbInterface);
  QTest::mouseClick(sheet_.UsbPage()->RefreshButton(), Qt::LeftButton);
  QTest::mouseClick(sheet_.UsbPage()->RefreshButton(), Qt::LeftButton);
  EXPECT_EQ(sheet_.UsbLink().RunningWorkers(), 1);
  Visit(kInternetInterface);
  EXPECT_EQ(sheet_.UsbLink().RunningWorkers(), 0);
}

TEST_F(ConnectionSheetTest, UsbWithoutSelectedRowFailsWithItsMessage) {
  usb_driver_.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  sheet_.Present();
  Visit(kUsbInterface);
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 1; }));
  EXPECT_THAT(alerts_.shown, ElementsAre(RecordingAlerts::Shown{"No USB Device Selected",
                                                                "Invalid Selection Alert"}));
  EXPECT_EQ(sheet_.State().connected, 0);
}

TEST_F(ConnectionSheetTest, UsbReceiverRowOpensTheDeviceAndOtherProductsAreNotOpened) {
  usb_driver_.AddDevice({"RX0300", "Older Receiver", 0x09D6, 0x0300});
  usb_driver_.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  sheet_.Present();
  Visit(kUsbInterface);
  QTreeWidget* list = sheet_.UsbPage()->List();
  list->setCurrentItem(list->topLevelItem(1));
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return sheet_.State().connected == 1; }));
  EXPECT_THAT(usb_driver_.Calls(), Contains("Open RX0500"));
  EXPECT_EQ(Count(kUsbEstablished), 1);

  // The other product is taken without opening it.
  sheet_.Present();
  Visit(kUsbInterface);
  list->setCurrentItem(list->topLevelItem(0));
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return Count(kUsbEstablished) == 2; }));
  EXPECT_THAT(usb_driver_.Calls(), Not(Contains("Open RX0300")));
}

TEST_F(ConnectionSheetTest, UsbLinkInUseKeepsItsWorkerAndItsRouteWhileThePagesAreBrowsed) {
  usb_driver_.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  sheet_.Present();
  Visit(kUsbInterface);
  sheet_.UsbPage()->List()->setCurrentItem(sheet_.UsbPage()->List()->topLevelItem(0));
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return sheet_.State().connected == 1; }));

  sheet_.Present();
  Visit(kUsbInterface);
  Visit(kInternetInterface);
  ClickCancel();
  EXPECT_EQ(sheet_.UsbLink().RunningWorkers(), 1);
  const QByteArray firmware = test::Hex("111201312e3035001113");
  usb_driver_.DeliverFromDevice("RX0500", reinterpret_cast<const uint8_t*>(firmware.data()),
                                static_cast<size_t>(firmware.size()));
  EXPECT_TRUE(WaitUntil([this] { return display_.Handler().FirmwareText() == "1.05"; }));
}

// The cable is pulled while connected: the worker closes the dead handle and the loss is
// reported once; with the option on the same serial number is retried on the back-off timer,
// with no box for each failed retry, and opened again once it is plugged back in.
TEST_F(ConnectionSheetTest, UnpluggedUsbReceiverIsReportedAndReopenedWhenPluggedInAgain) {
  usb_driver_.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  int lost = 0;
  QObject::connect(&sheet_, &CConnectionEx::LinkLost, [&] {
    ++lost;
    sheet_.Ops().CloseLink();  // as the view does
  });
  sheet_.SetReconnectAutomatically(true);
  sheet_.ConnectUsb("RX0500");
  ASSERT_TRUE(RunUntil([this] { return sheet_.State().connected == 1; }));

  usb_driver_.Unplug("RX0500");
  ASSERT_TRUE(RunUntil([&] { return lost == 1; }));
  EXPECT_EQ(sheet_.State().connected, 0);
  EXPECT_EQ(usb_driver_.OpenHandles(), 0);
  ASSERT_TRUE(RunUntil([this] { return sheet_.Reconnect().RetryDelayMs() == 4000; }));
  EXPECT_THAT(sheet_.Reconnect().Text(), ::testing::HasSubstr("USB device RX0500"));

  usb_driver_.PlugIn("RX0500");
  ASSERT_TRUE(RunUntil([this] { return sheet_.State().connected == 1; }));
  const std::vector<std::string> calls = usb_driver_.Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Open RX0500"), 4);  // 1st, 2 failed, back
  sheet_.OnHandshakeCompleted();
  EXPECT_EQ(sheet_.Reconnect().GetState(), Reconnector::State::kIdle);
  EXPECT_EQ(lost, 1);
  EXPECT_THAT(alerts_.shown, IsEmpty());
}

// An address field left empty, or no module picked, is refused with a message and nothing is
// tried: an empty field must not turn into 0, and 0.0.0.0 reaches this machine.
TEST_F(ConnectionSheetTest, IncompleteOrMissingAddressesAreRefusedWithAMessage) {
  const RecordingAlerts::Shown refused{
      "No IP address to connect to: enter all four numbers of the address (or pick a module in "
      "the DHCP list) and try again",
      "Invalid IP Address Alert !"};
  // Should anything be tried after all, it meets a port where nobody listens.
  constexpr quint16 kNobodyPort = 9;
  sheet_.SetReceiverPort(kNobodyPort);
  sheet_.Present();
  Visit(kInternetInterface);
  TypeAddress(sheet_.InternetPage()->Address(), QHostAddress(QStringLiteral("127.0.0.9")));
  sheet_.InternetPage()->Address()->Field(3)->clear();
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 1; }));

  sheet_.Present();
  Visit(kStaticIpInterface);  // nothing typed
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 2; }));

  sheet_.Present();
  Visit(kDhcpInterface);  // nothing picked
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 3; }));

  sheet_.ConnectTcp(QString(), kNobodyPort);
  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 4; }));
  sheet_.ConnectTcp(QStringLiteral("0.0.0.0"), kNobodyPort);
  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 5; }));

  EXPECT_THAT(alerts_.shown, ElementsAre(refused, refused, refused, refused, refused));
  EXPECT_EQ(sheet_.State().connected, 0);
  EXPECT_EQ(Count(kTcpEstablished), 0);
}

// The USB open runs on the worker: a driver that hangs in it holds neither the window, nor the
// connect beyond its time-out, nor the end of the program.
TEST_F(ConnectionSheetTest, StuckUsbOpenHoldsNeitherTheWindowNorTheExit) {
  test::StallingFtdiDriver driver;
  driver.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  auto sheet = std::make_unique<CConnectionEx>(clock_, alerts_, display_, session_, driver);
  CGrindlewhist* link = &sheet->UsbLink();
  sheet->Present();
  sheet->Tabs()->setCurrentIndex(kUsbInterface);
  sheet->UsbPage()->List()->setCurrentItem(sheet->UsbPage()->List()->topLevelItem(0));
  driver.Stall();
  QTest::mouseClick(sheet->Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
  ASSERT_TRUE(RunUntil([&] { return driver.Held() == 1; }));
  // This thread went on while the driver hangs: the outcome is not known yet.
  EXPECT_EQ(Count(kCheck), 0);
  EXPECT_THAT(alerts_.shown, IsEmpty());
  clock_.Advance(CUSB::kDoneTimeoutMs);
  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 1; }));
  EXPECT_THAT(alerts_.shown,
              ElementsAre(RecordingAlerts::Shown{"USB Device could not be opened", "USB Problem"}));
  EXPECT_EQ(sheet->State().connected, 0);

  // The program ends with the worker still stuck. Only if the end waits for it anyway does a
  // watchdog let the driver go, and the end comes back late.
  std::mutex mutex;
  std::condition_variable ended;
  bool sheet_gone = false;
  bool end_waited = false;
  std::thread watchdog([&] {
    std::unique_lock lock(mutex);
    end_waited = !ended.wait_for(lock, std::chrono::seconds(20), [&] { return sheet_gone; });
    lock.unlock();
    driver.Release();
  });
  sheet.reset();
  {
    std::lock_guard lock(mutex);
    sheet_gone = true;
  }
  ended.notify_all();
  watchdog.join();
  ASSERT_FALSE(end_waited) << "the end of the program waited for a stuck driver call";
  // The worker comes back from the driver later and still finds the link and driver it uses.
  EXPECT_TRUE(WaitUntil([&] { return link->RunningWorkers() == 0; }));
  EXPECT_EQ(driver.OpenHandles(), 0);
}

TEST_F(ConnectionSheetTest, UsbOpenFailureShowsItsMessage) {
  usb_driver_.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  usb_driver_.SetOpenFails(true);
  sheet_.Present();
  Visit(kUsbInterface);
  sheet_.UsbPage()->List()->setCurrentItem(sheet_.UsbPage()->List()->topLevelItem(0));
  ClickOk();
  ASSERT_TRUE(RunUntil([this] { return Count(kCheck) == 1; }));
  EXPECT_THAT(alerts_.shown,
              ElementsAre(RecordingAlerts::Shown{"USB Device could not be opened", "USB Problem"}));
  EXPECT_EQ(sheet_.State().connected, 0);
}

TEST_F(ConnectionSheetTest, PagesKeepTypedValuesBetweenShowings) {
  ports_ = {{"/dev/ttyS0", "ttyS0", "Port A (ttyS0)", false, "Port A"},
            {"/dev/ttyUSB0", "ttyUSB0", "Card B (ttyUSB0)", true, "Card B"}};
  sheet_.Present();
  EXPECT_EQ(sheet_.SerialPage()->DevicePath(), "/dev/ttyUSB0");  // the last port found
  EXPECT_EQ(sheet_.SerialPage()->Status(), "Card B (ttyUSB0)");
  QLineEdit* path_edit = sheet_.SerialPage()->PortBox()->lineEdit();
  path_edit->selectAll();
  QTest::keyClicks(path_edit, "/dev/pts/7");
  Visit(kInternetInterface);
  TypeAddress(sheet_.InternetPage()->Address(), QHostAddress(QStringLiteral("127.0.0.9")));
  Visit(kStaticIpInterface);
  QTest::keyClicks(sheet_.StaticIpPage()->Mac(), "00-20-4A-91-0B-2D");
  TypeAddress(sheet_.StaticIpPage()->Address(), QHostAddress(QStringLiteral("10.0.0.7")));
  ClickCancel();

  sheet_.Present();  // searches for ports again
  EXPECT_EQ(sheet_.SerialPage()->DevicePath(), "/dev/pts/7");
  EXPECT_EQ(sheet_.InternetPage()->AddressText(), "127.0.0.9");
  EXPECT_EQ(sheet_.StaticIpPage()->MacText(), "00-20-4A-91-0B-2D");
  EXPECT_EQ(sheet_.StaticIpPage()->AddressText(), "10.0.0.7");
}

TEST_F(ConnectionSheetTest, SerialPageStatusReflectsSearchAndDeviceNews) {
  sheet_.Present();
  EXPECT_EQ(sheet_.SerialPage()->Status(),
            "CF Card not found connected,\n Please check the CF card connection and then click "
            "\"Find CF Card\" Button");
  EXPECT_TRUE(sheet_.SerialPageVisible());
  sheet_.SetSerialPageStatus("Serial card inserted");
  EXPECT_EQ(sheet_.SerialPage()->Status(), "Serial card inserted");
  Visit(kInternetInterface);
  EXPECT_FALSE(sheet_.SerialPageVisible());
}

}  // namespace
}  // namespace qv
