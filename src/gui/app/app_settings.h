#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

#include "core/app/remembered_settings.h"

namespace qv {

// The program's one place for persistent settings: the radio alert choice, the recent files,
// the View switches and what one run leaves for the next (link, spectrum, window, panels). The program uses the per-user store of "Wendloch"/"Quorvalin"; tests hand in an INI
// file of their own so they never touch the user's settings.
class AppSettings {
 public:
  static constexpr int kMaxRecentFiles = 4;
  // Value of the radio alert setting that keeps the alert away at start-up.
  static constexpr int kRadioAlertDisabled = 1;

  // Whether changes reach the file. A run that leaves nothing for the next (the demo, a
  // scripted run) reads the file as it is and keeps its changes in a copy of its own, which
  // goes with it; a damaged file is then left where it is.
  enum class Writes { kToFile, kNone };

  // The user's settings.
  explicit AppSettings(Writes writes = Writes::kToFile);
  // An INI file at this path.
  explicit AppSettings(const QString& ini_path, Writes writes = Writes::kToFile);
  ~AppSettings();
  AppSettings(const AppSettings&) = delete;
  AppSettings& operator=(const AppSettings&) = delete;

  // The stored radio alert value; 0 when absent or not a number.
  int RadioAlertValue() const;
  void SetRadioAlertValue(int value);
  // Whether start-up shows the alert: anything but 1, including no value at all.
  bool ShowRadioAlertAtStartup() const { return RadioAlertValue() != kRadioAlertDisabled; }

  // Most recent first, at most kMaxRecentFiles.
  QStringList RecentFiles() const;
  // Puts a file at the top of the list; a file already listed moves up instead of repeating.
  void AddRecentFile(const QString& path);
  void RemoveRecentFile(const QString& path);

  // View menu switches for additions to the picture; `default_on` until switched. Any stored
  // value but false-like text reads as on.
  bool ViewOption(const QString& name, bool default_on = true) const;
  void SetViewOption(const QString& name, bool on);
  // View menu choices among named alternatives; empty when never chosen.
  QString ViewChoice(const QString& name) const;
  void SetViewChoice(const QString& name, const QString& value);

  // The limit lines' files ("Upper", "Lower") and the actions on a violation ("Beep",
  // "Capture"); invalid when never stored.
  QVariant LimitSetting(const QString& name) const;
  void SetLimitSetting(const QString& name, const QVariant& value);

  // What the last run left; all defaults when the file could not be read.
  RememberedSettings Remembered() const;
  void SetRemembered(const RememberedSettings& remembered);

  // Empty when the file read well (or did not exist yet); otherwise one sentence for the user.
  // A damaged or unreadable file is moved aside, so it is not overwritten and the program
  // starts from the defaults.
  QString ReadProblem() const { return read_problem_; }

  // Whether a lost link is opened again without asking; off unless switched on.
  bool ReconnectAutomatically() const;
  void SetReconnectAutomatically(bool on);

  QSettings& Store() { return *settings_; }

 private:
  void Open(std::unique_ptr<QSettings> file, Writes writes);
  // The damage that makes the file unreadable as ours; empty when it reads well.
  QString Damage() const;
  void SetAsideIfUnreadable();
  void CopyToScratch();
  void WriteRecentFiles(const QStringList& files);

  std::unique_ptr<QTemporaryDir> scratch_;  // holds the copy of a run that writes nothing
  std::unique_ptr<QSettings> settings_;
  QString read_problem_;
};

}  // namespace qv
