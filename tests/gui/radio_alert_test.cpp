#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui/app/app_settings.h"
#include "gui/app/radio_alert_dialog.h"

namespace qv {
namespace {

const QString kKey = QStringLiteral("Disable Radio Alert");

class RadioAlertTest : public ::testing::Test {
 protected:
  QString Path() const { return dir_.filePath(QStringLiteral("settings.ini")); }
  // What a fresh start of the program would read.
  int StoredValue() const { return AppSettings(Path()).RadioAlertValue(); }
  bool Stored() { return AppSettings(Path()).Store().contains(kKey); }

  QTemporaryDir dir_;
  AppSettings settings_{Path()};
};

TEST_F(RadioAlertTest, FirstRunCheckedAndConfirmedKeepsTheAlertAwayNextTime) {
  ASSERT_TRUE(settings_.ShowRadioAlertAtStartup());
  CDisableRadioAlertDialog dialog(settings_);
  EXPECT_FALSE(dialog.CheckBox()->isChecked());

  QTest::mouseClick(dialog.CheckBox(), Qt::LeftButton);
  EXPECT_FALSE(Stored()) << "nothing is written before OK";
  dialog.OkButton()->click();

  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(StoredValue(), 1);
  EXPECT_FALSE(AppSettings(Path()).ShowRadioAlertAtStartup());
}

TEST_F(RadioAlertTest, ClearingTheBoxBringsTheAlertBack) {
  settings_.SetRadioAlertValue(1);
  CDisableRadioAlertDialog dialog(settings_);
  EXPECT_TRUE(dialog.CheckBox()->isChecked());

  QTest::mouseClick(dialog.CheckBox(), Qt::LeftButton);
  dialog.OkButton()->click();

  EXPECT_EQ(StoredValue(), 0);
  EXPECT_TRUE(AppSettings(Path()).ShowRadioAlertAtStartup());
}

TEST_F(RadioAlertTest, OkWithoutTouchingTheBoxWritesTheValueUnchanged) {
  {
    CDisableRadioAlertDialog dialog(settings_);
    dialog.OkButton()->click();
  }
  ASSERT_TRUE(Stored()) << "an absent value is written as 0";
  EXPECT_EQ(StoredValue(), 0);

  settings_.SetRadioAlertValue(1);
  CDisableRadioAlertDialog dialog(settings_);
  dialog.OkButton()->click();
  EXPECT_EQ(StoredValue(), 1);
}

TEST_F(RadioAlertTest, ForeignValueSurvivesClicksAndStillShowsTheAlert) {
  settings_.SetRadioAlertValue(7);
  EXPECT_TRUE(settings_.ShowRadioAlertAtStartup());
  CDisableRadioAlertDialog dialog(settings_);
  EXPECT_FALSE(dialog.CheckBox()->isChecked());

  QTest::mouseClick(dialog.CheckBox(), Qt::LeftButton);
  QTest::mouseClick(dialog.CheckBox(), Qt::LeftButton);
  QTest::mouseClick(dialog.CheckBox(), Qt::LeftButton);
  EXPECT_EQ(dialog.KeptValue(), 7);
  dialog.OkButton()->click();
  EXPECT_EQ(StoredValue(), 7);
}

TEST_F(RadioAlertTest, UnreadableValueCountsAsAbsent) {
  settings_.Store().setValue(kKey, QStringLiteral("yes please"));
  EXPECT_EQ(settings_.RadioAlertValue(), 0);
  EXPECT_TRUE(settings_.ShowRadioAlertAtStartup());
}

TEST_F(RadioAlertTest, EscapeAndCloseBoxLeaveTheSettingAlone) {
  {
    CDisableRadioAlertDialog dialog(settings_);
    dialog.show();
    QTest::mouseClick(dialog.CheckBox(), Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  {
    CDisableRadioAlertDialog dialog(settings_);
    dialog.show();
    QTest::mouseClick(dialog.CheckBox(), Qt::LeftButton);
    dialog.close();
  }
  EXPECT_FALSE(Stored());
}

TEST_F(RadioAlertTest, ShowsTheAdviceWordForWord) {
  CDisableRadioAlertDialog dialog(settings_);
  const auto groups = dialog.findChildren<QGroupBox*>();
  ASSERT_EQ(groups.size(), 1);
  EXPECT_EQ(groups[0]->title(), QStringLiteral("Disable Radio Alert"));
  const auto labels = dialog.findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 1);
  EXPECT_EQ(labels[0]->text(),
            QStringLiteral("Please disable the Wireless LAN Radio and the Bluetooth Transmitter "
                           "on the Tablet PC to eliminate interference with the Quorvalin "
                           "Receiver.\n\nThis can be done as:\n the desktop's network menu: "
                           "Wi-Fi and Bluetooth off\n or in a terminal: rfkill block wifi; "
                           "rfkill block bluetooth"));
  EXPECT_EQ(dialog.CheckBox()->text(), QStringLiteral("Do not show this warning again"));
  EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));
}

}  // namespace
}  // namespace qv
