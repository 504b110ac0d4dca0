#include "gui/app/app_settings.h"

#include <QFile>

namespace qv {
namespace {

const QString kRadioAlertKey = QStringLiteral("Disable Radio Alert");
const QString kRecentGroup = QStringLiteral("Recent File List");
const QString kReconnectKey = QStringLiteral("Reconnect Automatically");

QString RecentKey(int index) {
  return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

AppSettings::AppSettings(Writes writes) {
  Open(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                   QStringLiteral("Wendloch"), QStringLiteral("Quorvalin")),
       writes);
}

AppSettings::AppSettings(const QString& ini_path, Writes writes) {
  Open(std::make_unique<QSettings>(ini_path, QSettings::IniFormat), writes);
}

void AppSettings::Open(std::unique_ptr<QSettings> file, Writes writes) {
  settings_ = std::move(file);
  if (writes == Writes::kToFile) {
    SetAsideIfUnreadable();
  } else {
    CopyToScratch();
  }
}

QString AppSettings::Damage() const {
  const QSettings::Status status = settings_->status();
  // QSettings reads many kinds of garbage without complaint; the core knows what ours look like.
  if (status == QSettings::FormatError) return QStringLiteral("it is damaged");
  if (status != QSettings::NoError) return QStringLiteral("no access");
  QFile file(settings_->fileName());
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray text = file.readAll();
  const std::string problem = SettingsTextProblem(std::string_view(text.constData(), text.size()));
  return problem.empty() ? QString() : QStringLiteral("it is damaged: ") + QString::fromStdString(problem);
}

void AppSettings::CopyToScratch() {
  const QString path = settings_->fileName();
  const QString damage = Damage();
  scratch_ = std::make_unique<QTemporaryDir>();
  auto copy = std::make_unique<QSettings>(scratch_->filePath(QStringLiteral("settings.ini")),
                                          QSettings::IniFormat);
  if (damage.isEmpty()) {
    for (const QString& key : settings_->allKeys()) copy->setValue(key, settings_->value(key));
  } else {
    read_problem_ =
        QStringLiteral("The settings file %1 could not be read (%2), so the defaults are used.")
            .arg(path, damage);
  }
  settings_ = std::move(copy);
}

void AppSettings::SetAsideIfUnreadable() {
  const QString path = settings_->fileName();
  const QString damage = Damage();
  if (damage.isEmpty()) return;
  const QString aside = path + QStringLiteral(".damaged");
  QFile::remove(aside);
  const bool moved = QFile::rename(path, aside);
  read_problem_ =
      QStringLiteral("The settings file %1 could not be read (%2), so the defaults are used.")
          .arg(path, damage);
  if (moved) {
    read_problem_ += QStringLiteral(" The old file was kept as %1.").arg(aside);
    settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
  }
}

RememberedSettings AppSettings::Remembered() const {
  if (!read_problem_.isEmpty()) return RememberedSettings{};
  return ReadRememberedSettings([this](std::string_view key) -> std::optional<std::string> {
    const QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    if (!settings_->contains(name)) return std::nullopt;
    return settings_->value(name).toString().toStdString();
  });
}

void AppSettings::SetRemembered(const RememberedSettings& remembered) {
  // Keys of an earlier run that this one has no value for must not come back.
  for (const char* group : {"Connection", "Spectrum", "Window", "Replay"}) {
    settings_->remove(QString::fromLatin1(group));
  }
  for (const auto& [key, text] : RememberedEntries(remembered)) {
    settings_->setValue(QString::fromStdString(key), QString::fromStdString(text));
  }
  settings_->sync();
}

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

bool AppSettings::ReconnectAutomatically() const {
  return settings_->value(kReconnectKey, false).toBool();
}

void AppSettings::SetReconnectAutomatically(bool on) {
  settings_->setValue(kReconnectKey, on);
  settings_->sync();
}

bool AppSettings::ViewOption(const QString& name, bool default_on) const {
  return settings_->value(QStringLiteral("View/") + name, default_on).toBool();
}

void AppSettings::SetViewOption(const QString& name, bool on) {
  settings_->setValue(QStringLiteral("View/") + name, on);
  settings_->sync();
}

QVariant AppSettings::LimitSetting(const QString& name) const {
  return settings_->value(QStringLiteral("Limits/") + name);
}

void AppSettings::SetLimitSetting(const QString& name, const QVariant& value) {
  settings_->setValue(QStringLiteral("Limits/") + name, value);
  settings_->sync();
}

QString AppSettings::ViewChoice(const QString& name) const {
  return settings_->value(QStringLiteral("View/") + name).toString();
}

void AppSettings::SetViewChoice(const QString& name, const QString& value) {
  settings_->setValue(QStringLiteral("View/") + name, value);
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
  WriteRecentFiles(files);
}

void AppSettings::RemoveRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  if (files.removeAll(path) > 0) WriteRecentFiles(files);
}

void AppSettings::WriteRecentFiles(const QStringList& files) {
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
