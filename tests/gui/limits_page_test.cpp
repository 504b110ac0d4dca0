#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <fstream>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/link/sweep_message.h"
#include "core/record/capture_file.h"
#include "core/record/capture_log.h"
#include "gui/app/app_settings.h"
#include "gui/app/form_view.h"
#include "gui/display/display.h"
#include "gui/limits/limits_controller.h"
#include "gui/limits/limits_page.h"
#include "gui/ui/side_panels.h"
#include "support/legend_texts.h"
#include "support/recording_alerts.h"
#include "support/scripted_chooser.h"

namespace qv {
namespace {

// A person's run: the remembered lines come back (one that no longer reads is said once and
// forgotten), the page loads and refuses files, sweeps through the receive path fail and pass
// on the graph, the violation is listed and captured with a comment naming it.
TEST(LimitsPageTest, RememberedLinesPageActionsAndTheGraph) {
  QTemporaryDir dir;
  const auto file = [&](const char* name, const char* text) {
    const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
    std::ofstream(path) << text;
    return path;
  };
  const std::string upper = file("upper.csv", "frequency_hz,level_dbm\n2400000000,-70\n2450000000,-70\n");
  const std::string lower = file("lower.csv", "2400000000,-120\n2450000000,-120\n");
  const std::string bad = file("bad.csv", "2400000000,-50\n\n2400000000,-40\n2400000000,-30\n");
  AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
  settings.SetLimitSetting("Upper", QString::fromStdString(upper));
  settings.SetLimitSetting("Lower", dir.filePath(QStringLiteral("gone.csv")));
  settings.SetLimitSetting("Capture", true);

  ManualClock clock;
  RecordingAlerts alerts;
  ScriptedChooser chooser;
  CQuorvalinFormView view(clock, alerts);
  view.SetFileChooser(&chooser);
  view.resize(1100, 800);
  CDisplay& display = view.Display();
  CLimitsController& limits = display.Limits();
  EXPECT_EQ(limits.UseSettings(settings).rfind("gone.csv: the file could not be opened", 0), 0u);
  EXPECT_EQ(settings.LimitSetting("Lower").toString(), QString());
  EXPECT_EQ(limits.Monitor().Path(LimitKind::kUpper), upper);

  auto* page = qobject_cast<CLimitsPage*>(display.Panels().Page(QStringLiteral("Limits")));
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->Option(QStringLiteral("Capture on violation"))->isChecked());
  chooser.open = bad;
  page->Button(QStringLiteral("Load Lower..."))->click();
  EXPECT_EQ(alerts.shown.back().text, "bad.csv, row 4: a frequency may appear at most twice (one step)");
  EXPECT_TRUE(limits.Monitor().Line(LimitKind::kLower).Empty());
  chooser.open = lower;
  page->Button(QStringLiteral("Load Lower..."))->click();
  EXPECT_EQ(settings.LimitSetting("Lower").toString().toStdString(), lower);
  page->Option(QStringLiteral("Beep on violation"))->click();
  EXPECT_TRUE(settings.LimitSetting("Beep").toBool());

  ASSERT_TRUE(display.Recorder().CreateCaptureFile(dir.filePath(QStringLiteral("c.icf")).toStdString()));
  const auto sweep = [&](int16_t dbm) {
    SweepHeader h;
    h.start = 48000;
    h.points = 1001;
    h.block_frequency = 48000;
    std::vector<int16_t> levels(1001, static_cast<int16_t>(dbm * 16));
    levels[200] = static_cast<int16_t>((dbm + 5) * 16);  // 2410 MHz stands out
    const Bytes m = BuildSweepBlock(h, levels.data(), static_cast<uint16_t>(levels.size()));
    display.OnReceiverMessage(
        QByteArray(reinterpret_cast<const char*>(m.data()), static_cast<qsizetype>(m.size())));
  };
  display.SetModeFlags(true, false);
  sweep(-90);
  sweep(-62);
  // The capture holds the failing sweep with that sweep's power, not the passing one's before
  // it; its comment names the event as the list does, then again as it ended with its worst.
  QTreeWidgetItem* const row = page->Events()->topLevelItem(0);
  ASSERT_NE(row, nullptr);
  const CaptureLog& captures = display.Recorder().Captures();
  ASSERT_EQ(captures.Count(), 1);
  EXPECT_EQ(row->text(0), QStringLiteral("1"));
  EXPECT_EQ(captures.Items()[0].comment, "Limit violation 1 " + row->text(1).toStdString() +
                                             " (going on): +13.0 dB at 2410.00 MHz, -57.0 dBm");
  sweep(-60);
  sweep(-62);
  QStringList texts = PaintedTexts(display);
  EXPECT_TRUE(texts.contains(QStringLiteral("FAIL")));
  // The graph shows the last sweep's excess; the event keeps the worst of its sweeps.
  EXPECT_TRUE(texts.contains(QStringLiteral("+13.0 dB at 2410.00 MHz")));
  ASSERT_EQ(page->Events()->topLevelItemCount(), 1);
  EXPECT_EQ(row->text(2), QStringLiteral("(going on)"));
  EXPECT_EQ(captures.Count(), 1);

  sweep(-90);
  texts = PaintedTexts(display);
  EXPECT_TRUE(texts.contains(QStringLiteral("PASS")));
  EXPECT_FALSE(texts.contains(QStringLiteral("FAIL")));
  EXPECT_NE(row->text(2), QStringLiteral("(going on)"));
  EXPECT_EQ(row->text(5), QStringLiteral("+15.0 dB"));
  EXPECT_EQ(limits.Monitor().Events()[0].sweeps, 3u);
  const std::string ended = "Limit violation 1 " + row->text(1).toStdString() + " to " +
                            row->text(2).toStdString() + ": +15.0 dB at 2410.00 MHz, -55.0 dBm";
  EXPECT_EQ(captures.Items()[0].comment, ended);
  CaptureScan scan;
  ASSERT_TRUE(CaptureFile::Read(captures.Path(), &scan, nullptr));
  ASSERT_EQ(scan.entries.size(), 1u);
  EXPECT_EQ(scan.entries[0].comment, ended);
  EXPECT_EQ(scan.entries[0].sweep.levels[200], -57);
  // 1000 points at -62 dBm and one at -57 dBm.
  EXPECT_NEAR(scan.entries[0].sweep.power, -31.986, 0.002);

  // A capture file made anew while a violation goes on numbers from 0 again: the violation's end
  // leaves the new file's capture 0 as it is.
  const std::string fresh = dir.filePath(QStringLiteral("d.icf")).toStdString();
  ASSERT_TRUE(display.Recorder().CreateCaptureFile(fresh));
  sweep(-62);
  ASSERT_TRUE(display.Recorder().CreateCaptureFile(fresh));
  ASSERT_EQ(display.Recorder().TakeCapture("mine"), std::optional<uint32_t>(0));
  const size_t shown = alerts.shown.size();
  sweep(-90);
  ASSERT_TRUE(CaptureFile::Read(fresh, &scan, nullptr));
  ASSERT_EQ(scan.entries.size(), 1u);
  EXPECT_EQ(scan.entries[0].comment, "mine");
  EXPECT_EQ(alerts.shown.size(), shown);

  page->Button(QStringLiteral("Clear Upper"))->click();
  page->Button(QStringLiteral("Clear Lower"))->click();
  EXPECT_EQ(settings.LimitSetting("Upper").toString(), QString());
  texts = PaintedTexts(display);
  EXPECT_FALSE(texts.contains(QStringLiteral("PASS")));
}

}  // namespace
}  // namespace qv
