#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "core/link/handshake.h"
#include "gui/link/intro_dialog.h"
#include "gui/link/ip_address_edit.h"
#include "gui/link/pp_serial_port.h"

namespace qv {
namespace {

TEST(IpAddressEditTest, TypedAndPastedAddressesFillTheBoxesAndAnEmptyBoxReadsNothing) {
  CIpAddressEdit edit;
  edit.show();
  edit.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&edit));
  edit.Field(0)->setFocus();
  // Typed as a person types it: each key goes where the cursor is.
  for (const char key : std::string("127.0.77.2")) {
    QTest::keyClick(QApplication::focusWidget(), key);
  }
  EXPECT_EQ(edit.Text(), "127.0.77.2");
  EXPECT_EQ(QApplication::focusWidget(), edit.Field(3));
  edit.Field(2)->clear();
  EXPECT_EQ(edit.Text(), "");  // an empty field is not a 0

  QApplication::clipboard()->setText(QStringLiteral("10.0.0.7"));
  edit.Field(1)->paste();
  EXPECT_EQ(edit.Text(), "10.0.0.7");
  edit.SetText(QStringLiteral("10.0.300.7"));  // not an address: left as it was
  EXPECT_EQ(edit.Text(), "10.0.0.7");
}

TEST(SerialPageTest, PickedPortSurvivesANewSearchAndUpdatesTheStatus) {
  CPPSerialPort page;
  const std::vector<SSerInfo> ports = {
      {"/dev/ttyS0", "ttyS0", "Port A (ttyS0)", false, "Port A"},
      {"/dev/ttyUSB0", "ttyUSB0", "Card B (ttyUSB0)", true, "Card B"}};
  page.ShowPorts(ports);
  EXPECT_EQ(page.DevicePath(), "/dev/ttyUSB0");

  page.PortBox()->setCurrentIndex(0);
  emit page.PortBox()->activated(0);  // as when the user picks it
  EXPECT_EQ(page.Status(), "Port A (ttyS0)");
  page.ShowPorts(ports);
  EXPECT_EQ(page.DevicePath(), "/dev/ttyS0");
  EXPECT_EQ(page.Status(), "Port A (ttyS0)");

  // The picked port went away: the user's choice is still what will be opened.
  page.ShowPorts({ports[1]});
  EXPECT_EQ(page.DevicePath(), "/dev/ttyS0");
}

TEST(ProgressWindowTest, CaptionLessOnTopAndShowsTheTextsAsGiven) {
  CIntroDialog dialog;
  EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
  dialog.SetProgressText(ProgressText(kProgressAttempting));
  dialog.ShowProgress();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.Text(), "Attempting Connection....\nWaiting for Response");
  dialog.HideProgress();
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace qv
