#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "core/app/manual_clock.h"
#include "core/link/sweep_message.h"
#include "gui/app/app_settings.h"
#include "gui/app/manual_window.h"
#include "gui/app/main_frame.h"
#include "gui/app/remembered_window.h"
#include "gui/control/frequency_page.h"
#include "gui/control/reference_level_page.h"
#include "gui/display/display.h"
#include "gui/link/connection_sheet.h"
#include "gui/link/intro_dialog.h"
#include "gui/ui/side_panels.h"
#include "gui/ui/tab_dialog.h"
#include "support/legend_texts.h"
#include "support/recording_alerts.h"
#include "support/sim_view.h"

namespace qv {
namespace {

using ::testing::HasSubstr;
using ::testing::IsSupersetOf;

// A spectrum the user set last time: 5170 to 5190 MHz, 300 kHz RBW, -50 dBm.
RememberedSpectrum LastTime() {
  RememberedSpectrum last;
  last.spectrum = {103400, 400, 1, 267};
  last.reference_level_index = 4;
  last.use_default = false;
  return last;
}

class RememberedHandshakeTest : public ::testing::Test, public SimViewTest {
 protected:
  void Sample() override {
    const QString text = view_->ProgressWindow().Text();
    if (!texts_.contains(text)) texts_.append(text);
  }
  QStringList texts_;
};

// The handshake's end sends what was remembered and says so; "Set Default" forgets it.
TEST_F(RememberedHandshakeTest, RememberedSpectrumIsSentAfterTheHandshakeUntilSetDefault) {
  view_->Display().resize(800, 600);
  CConnectionOps& ops = view_->Connection().Ops();
  ops.SetRemembered(LastTime());
  Connect();
  RunUntil(20000);
  ASSERT_GE(link_->written.size(), 6u);
  EXPECT_EQ(link_->written[3], (Bytes{0x11, 0x12, 0x03, 0x01, 0x02, 0x11, 0x13}));
  EXPECT_EQ(link_->written[5], (Bytes{0x11, 0x12, 0x07, 0xCE, 0xFF, 0x36, 0x11, 0x13}));
  EXPECT_EQ(view_->Display().Trace().header.start, 103400u);
  EXPECT_TRUE(texts_.contains(QStringLiteral(
      "Setting the Quorvalin to display\n the remembered Spectrum (5170.00 MHz - 5190.00 MHz)")));
  EXPECT_THAT(PaintedTexts(view_->Display()),
              IsSupersetOf({"Ctr: 5180.00 MHz", "Span: 20.00 MHz", "Ref Lvl: -50 dBm"}));
  // The reference level page and the windows it scales follow the restored level.
  auto* level = dynamic_cast<CRefLvlDialog*>(view_->Display().Panels().Page("Reference Level"));
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->Index(), 4);

  auto* frequency = dynamic_cast<CFrqSettingsDialog*>(view_->Display().Panels().Page("Freq Control"));
  ASSERT_NE(frequency, nullptr);
  frequency->Button("Set Default")->click();
  RunFor(3000);
  EXPECT_TRUE(ops.Remembered().use_default);
  EXPECT_TRUE(alerts_.shown.empty());
}

class RememberedRunsTest : public ::testing::Test {
 protected:
  QString Path() const { return dir_.filePath(QStringLiteral("settings.ini")); }
  std::unique_ptr<CMainFrame> MakeFrame(AppSettings& settings) {
    return std::make_unique<CMainFrame>(clock_, alerts_, false, settings);
  }
  static CTabDialog* Panel(CMainFrame& frame, const char* title) {
    return frame.View().Display().Panels().Page(QString::fromLatin1(title));
  }

  QTemporaryDir dir_;
  ManualClock clock_;
  RecordingAlerts alerts_;
};

// One run closes a panel, moves the window and changes the spectrum; the next starts that way.
TEST_F(RememberedRunsTest, ARunLeavesWindowPanelsSpectrumAndLinkForTheNext) {
  RememberedSettings first_start;
  {
    AppSettings settings(Path());
    first_start = settings.Remembered();
    EXPECT_EQ(first_start, RememberedSettings{});
    auto frame = MakeFrame(settings);
    RestoreRemembered(*frame, first_start);
    ShowMainWindow(*frame, first_start.window);
    EXPECT_TRUE(frame->isMaximized());
    frame->showNormal();
    frame->setGeometry(40, 30, 700, 500);
    Panel(*frame, "Resolution")->ClosePage();
    frame->View().Connection().Ops().SetRemembered(LastTime());
    frame->View().Connection().SetPreselection({kInternetInterface, "127.0.72.9", 10005});
    EXPECT_EQ(frame->View().ReplayChoice(), kSpectrumLogReplay);
    frame->View().SetReplayChoice(kCaptureReplay);
    settings.SetRemembered(CollectRemembered(*frame, first_start));
  }
  AppSettings settings(Path());
  const RememberedSettings second_start = settings.Remembered();
  EXPECT_TRUE(settings.ReadProblem().isEmpty());
  auto frame = MakeFrame(settings);
  RestoreRemembered(*frame, second_start);
  ShowMainWindow(*frame, second_start.window);
  EXPECT_FALSE(frame->isMaximized());
  EXPECT_EQ(frame->geometry(), QRect(40, 30, 700, 500));
  EXPECT_TRUE(Panel(*frame, "Resolution")->IsClosed());
  EXPECT_FALSE(Panel(*frame, "Resolution")->isVisible());  // showing the window left it closed
  EXPECT_FALSE(Panel(*frame, "Reference Level")->IsClosed());
  EXPECT_EQ(frame->View().Connection().Ops().Remembered(), LastTime());
  EXPECT_EQ(frame->View().Connection().LastLink(),
            (RememberedLink{kInternetInterface, "127.0.72.9", 10005}));
  EXPECT_EQ(frame->View().ReplayChoice(), kCaptureReplay);

  // A place on a screen unplugged since is ignored.
  auto elsewhere = MakeFrame(settings);
  ShowMainWindow(*elsewhere, RememberedWindow{ScreenRect{9000, 40, 700, 500}, false, {}});
  EXPECT_TRUE(elsewhere->isMaximized());
  EXPECT_TRUE(alerts_.shown.empty());
}

// A broken section line, random bytes or zeros: each file is set aside whole, one sentence says
// so, the defaults are used, and the next run starts clean with what this one saved.
TEST_F(RememberedRunsTest, ADamagedFileIsSetAsideAndTheDefaultsAreUsed) {
  QByteArray random(4096, '\0');
  uint32_t seed = 12345;
  for (char& byte : random) {
    seed = seed * 1103515245 + 12345;
    byte = static_cast<char>(seed >> 24);
  }
  const QByteArray damaged_files[] = {
      QByteArray("[Spectrum\nCentreKHz=5180000\n") + QByteArray(2, '\0') + "=\xff",
      random, QByteArray(4096, '\0')};
  for (const QByteArray& bytes : damaged_files) {
    {
      QFile file(Path());
      ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
      file.write(bytes);
    }
    AppSettings damaged(Path());
    EXPECT_THAT(damaged.ReadProblem().toStdString(), HasSubstr("could not be read (it is damaged"));
    EXPECT_THAT(damaged.ReadProblem().toStdString(), HasSubstr(".damaged"));
    EXPECT_EQ(damaged.Remembered(), RememberedSettings{});
    EXPECT_TRUE(damaged.RecentFiles().isEmpty());
    QFile aside(Path() + QStringLiteral(".damaged"));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), bytes);

    RememberedSettings saved;
    saved.spectrum = LastTime();
    damaged.SetRemembered(saved);
    AppSettings next(Path());
    EXPECT_TRUE(next.ReadProblem().isEmpty()) << next.ReadProblem().toStdString();
    EXPECT_EQ(next.Remembered(), saved);
  }
}

// The demo and scripted runs read the file as it is and write nothing to it, whatever they
// change; a damaged file stays where it is, and the run starts from the defaults.
TEST_F(RememberedRunsTest, ARunThatWritesNothingLeavesTheFileAsItWas) {
  {
    AppSettings person(Path());
    person.SetRadioAlertValue(AppSettings::kRadioAlertDisabled);
    person.SetViewChoice(QStringLiteral("ColourMap"), QStringLiteral("Uniform"));
  }
  const auto bytes = [this] {
    QFile file(Path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QByteArray before = bytes();
  {
    AppSettings demo(Path(), AppSettings::Writes::kNone);
    EXPECT_FALSE(demo.ShowRadioAlertAtStartup());
    auto frame = MakeFrame(demo);
    demo.SetViewOption(QStringLiteral("Density"), true);
    demo.SetRadioAlertValue(0);
    demo.AddRecentFile(dir_.filePath(QStringLiteral("a.kzq")));
    demo.SetLimitSetting(QStringLiteral("Beep"), true);
    demo.SetReconnectAutomatically(true);
    demo.SetRemembered(CollectRemembered(*frame, RememberedSettings{}));
    EXPECT_TRUE(demo.ViewOption(QStringLiteral("Density"), false));  // for the run itself
  }
  EXPECT_EQ(bytes(), before);

  {
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(16, '\0'));
  }
  AppSettings demo(Path(), AppSettings::Writes::kNone);
  EXPECT_THAT(demo.ReadProblem().toStdString(), HasSubstr("could not be read (it is damaged"));
  EXPECT_TRUE(demo.ShowRadioAlertAtStartup());
  demo.SetRadioAlertValue(AppSettings::kRadioAlertDisabled);
  EXPECT_FALSE(QFile::exists(Path() + QStringLiteral(".damaged")));
  EXPECT_EQ(bytes(), QByteArray(16, '\0'));
}

// Every group and top-level key of the settings file the program writes is named, in quotes,
// in the manual's FILES section ("Limits", "Replay" ...).
TEST_F(RememberedRunsTest, TheManualNamesEveryGroupOfTheSettingsFile) {
  {
    AppSettings settings(Path());
    settings.SetRadioAlertValue(AppSettings::kRadioAlertDisabled);
    settings.AddRecentFile(dir_.filePath(QStringLiteral("a.kzq")));
    settings.SetViewOption(QStringLiteral("Density"), true);
    settings.SetLimitSetting(QStringLiteral("Beep"), true);
    settings.SetReconnectAutomatically(true);
    RememberedSettings all;
    all.link = {kInternetInterface, "127.0.0.1", 10001};
    all.window.place = ScreenRect{0, 0, 100, 100};
    settings.SetRemembered(all);
  }
  const QString manual = CManualWindow::ManualText();
  // The section runs from its heading (a line of its own) to the next one.
  const int files = manual.indexOf(QStringLiteral("\nFILES\n"));
  const int next = manual.indexOf(QStringLiteral("\nENVIRONMENT\n"));
  ASSERT_GE(files, 0);
  ASSERT_GT(next, files);
  const QString section = manual.mid(files, next - files).simplified();
  QSettings written(Path(), QSettings::IniFormat);
  QStringList names = written.childGroups();
  names << written.childKeys();
  EXPECT_GE(names.size(), 9);
  for (const QString& name : names) {
    EXPECT_TRUE(section.contains(QLatin1Char('"') + name + QLatin1Char('"'))) << name.toStdString();
  }
}

}  // namespace
}  // namespace qv
