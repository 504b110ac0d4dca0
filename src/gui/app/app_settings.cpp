#include "gui/app/app_settings.h"

namespace qv {
namespace {

const QString kRadioAlertKey = QStringLiteral("Disable Radio Alert");
const QString kRecentGroup = QStringLiteral("Recent File List");

QString RecentKey(int index) {
  return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

AppSettings::AppSettings()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Wendloch"),
                                            QStringLiteral("Quorvalin"))) {}

AppSettings::AppSettings(const QString& ini_path)
    : settings_(std::make_unique<QSettings>(ini_path, QSettings::IniFormat)) {}

AppSettings::~AppSettings() = default;

int AppSettings::RadioAlertValue() const {
  bool ok = false;
  const int value = settings_->value(kRadioAlertKey).toInt(&ok);
  return ok ? value : 0;
}

void AppSettings::SetRadioAlertValue(int value) {
  settings_->setValue(kRadioAlertKey, value);
  settings_->sync();
}

bool AppSettings::ViewOption(const QString& name) const {
  return settings_->value(QStringLiteral("View/") + name, true).toBool();
}

void AppSettings::SetViewOption(const QString& name, bool on) {
  settings_->setValue(QStringLiteral("View/") + name, on);
  settings_->sync();
}

QStringList AppSettings::RecentFiles() const {
  QStringList files;
  settings_->beginGroup(kRecentGroup);
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    const QString path = settings_->value(RecentKey(i)).toString();
    if (!path.isEmpty()) files.append(path);
  }
  settings_->endGroup();
  return files;
}

void AppSettings::AddRecentFile(const QString& path) {
  if (path.isEmpty()) return;
  QStringList files = RecentFiles();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kMaxRecentFiles) files.removeLast();
  settings_->beginGroup(kRecentGroup);
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    if (i < files.size()) {
      settings_->setValue(RecentKey(i), files[i]);
    } else {
      settings_->remove(RecentKey(i));
    }
  }
  settings_->endGroup();
  settings_->sync();
}

}  // namespace qv
