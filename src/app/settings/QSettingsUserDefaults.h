#pragma once

#include "app/settings/UserDefaults.h"

#include <QString>

#include <memory>

class QSettings;
class QVariant;

namespace quillmark {

// User defaults in an INI file through QSettings, by default $XDG_CONFIG_HOME/Quillmark/Quillmark.ini.
// Every write is synced at once. INI keeps no types: numbers and Booleans read back as text and convert
// as UserDefaults describes; bytes keep their kind. A malformed file loads what parses and never fails;
// a typed number in it (@Variant) that is not finite reads as 0, and a typed value of any other kind
// is taken out of the file before it is read (SettingsFileScreen).
class QSettingsUserDefaults final : public UserDefaults {
public:
    QSettingsUserDefaults();
    explicit QSettingsUserDefaults(const QString& filePath);
    ~QSettingsUserDefaults() override;

    QString fileName() const;

    bool contains(const std::string& key) const override;
    double number(const std::string& key) const override;
    bool boolean(const std::string& key) const override;
    std::optional<std::string> string(const std::string& key) const override;
    std::optional<std::string> data(const std::string& key) const override;

    void setNumber(const std::string& key, double value) override;
    void setBool(const std::string& key, bool value) override;
    void setString(const std::string& key, const std::string& value) override;
    void setData(const std::string& key, const std::string& bytes) override;
    void remove(const std::string& key) override;

private:
    QVariant read(const std::string& key) const;
    void write(const std::string& key, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
};

}  // namespace quillmark
