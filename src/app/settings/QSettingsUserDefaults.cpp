#include "app/settings/QSettingsUserDefaults.h"

#include "app/settings/SettingsFileScreen.h"
#include "app/settings/UserDefaultsText.h"

#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

#include <cmath>

namespace quillmark {

namespace {

QString keyOf(const std::string& key) { return QString::fromStdString(key); }

// Where QSettings keeps the user's INI file for this organisation and application.
QString userSettingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillmark/Quillmark.ini");
}

// QSettings reads the whole file as it is made: screen it first.
template <typename... Args>
std::unique_ptr<QSettings> screenedSettings(const QString& path, Args&&... args) {
    SettingsFileScreen::screenFile(path);
    return std::make_unique<QSettings>(std::forward<Args>(args)...);
}

bool isNumeric(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return true;
    default: return false;
    }
}

}  // namespace

QSettingsUserDefaults::QSettingsUserDefaults()
    : settings_(screenedSettings(userSettingsPath(), QSettings::IniFormat, QSettings::UserScope,
                                 QStringLiteral("Quillmark"), QStringLiteral("Quillmark"))) {}

QSettingsUserDefaults::QSettingsUserDefaults(const QString& filePath)
    : settings_(screenedSettings(filePath, filePath, QSettings::IniFormat)) {}

QSettingsUserDefaults::~QSettingsUserDefaults() = default;

QString QSettingsUserDefaults::fileName() const { return settings_->fileName(); }

QVariant QSettingsUserDefaults::read(const std::string& key) const { return settings_->value(keyOf(key)); }

bool QSettingsUserDefaults::contains(const std::string& key) const { return settings_->contains(keyOf(key)); }

double QSettingsUserDefaults::number(const std::string& key) const {
    const QVariant value = read(key);
    // A typed value (@Variant in the file) can be NaN or infinite, which no setting can use.
    if (isNumeric(value)) return std::isfinite(value.toDouble()) ? value.toDouble() : 0;
    if (value.typeId() == QMetaType::Bool) return value.toBool() ? 1 : 0;
    if (value.typeId() != QMetaType::QString) return 0;
    const std::string text = value.toString().toStdString();
    // A Boolean written to INI comes back as the text "true" or "false".
    if (text == "true") return 1;
    return UserDefaultsText::number(text).value_or(0);
}

bool QSettingsUserDefaults::boolean(const std::string& key) const {
    const QVariant value = read(key);
    if (isNumeric(value)) return value.toDouble() != 0;
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    if (value.typeId() != QMetaType::QString) return false;
    return UserDefaultsText::boolean(value.toString().toStdString());
}

std::optional<std::string> QSettingsUserDefaults::string(const std::string& key) const {
    const QVariant value = read(key);
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    return value.toString().toStdString();
}

std::optional<std::string> QSettingsUserDefaults::data(const std::string& key) const {
    const QVariant value = read(key);
    if (value.typeId() != QMetaType::QByteArray) return std::nullopt;
    return value.toByteArray().toStdString();
}

void QSettingsUserDefaults::write(const std::string& key, const QVariant& value) {
    settings_->setValue(keyOf(key), value);
    settings_->sync();
}

void QSettingsUserDefaults::setNumber(const std::string& key, double value) { write(key, value); }
void QSettingsUserDefaults::setBool(const std::string& key, bool value) { write(key, value); }
void QSettingsUserDefaults::setString(const std::string& key, const std::string& value) {
    write(key, QString::fromStdString(value));
}
void QSettingsUserDefaults::setData(const std::string& key, const std::string& bytes) {
    write(key, QByteArray::fromStdString(bytes));
}

void QSettingsUserDefaults::remove(const std::string& key) {
    settings_->remove(keyOf(key));
    settings_->sync();
}

}  // namespace quillmark
