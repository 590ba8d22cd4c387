// The settings loader on a whole settings file: whatever the INI file holds, loading never fails,
// falls back where it must and what it loads survives a save.
#include "PreferencesCheck.h"
#include "app/meters/MeterWindowFrame.h"
#include "app/settings/QSettingsUserDefaults.h"
#include "log/SystemLog.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

using namespace quillmark;

namespace {

// The file's reads, with the store's writes dropped: loading writes every setting back, and syncing the
// file fourteen times an input would leave little time for reading.
class ReadOnlyDefaults final : public UserDefaults {
public:
    explicit ReadOnlyDefaults(const UserDefaults& file) : file_(file) {}

    bool contains(const std::string& key) const override { return file_.contains(key); }
    double number(const std::string& key) const override { return file_.number(key); }
    bool boolean(const std::string& key) const override { return file_.boolean(key); }
    std::optional<std::string> string(const std::string& key) const override { return file_.string(key); }
    std::optional<std::string> data(const std::string& key) const override { return file_.data(key); }

    void setNumber(const std::string&, double) override {}
    void setBool(const std::string&, bool) override {}
    void setString(const std::string&, const std::string&) override {}
    void setData(const std::string&, const std::string&) override {}
    void remove(const std::string&) override {}

private:
    const UserDefaults& file_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir directory;
    // A screened file is logged; thousands of such lines a second would flood standard error and syslog.
    static const SystemLog::Capture quiet([](std::string_view) {});
    static const QString path = directory.filePath(QStringLiteral("Quillmark.ini"));
    // QSettings keeps a parsed file until its size or time changes: a fresh time for every input.
    static qint64 seconds = 0;
    {
        QFile file(path);
        fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the settings file can be written");
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
        file.flush();
        file.setFileTime(QDateTime::fromSecsSinceEpoch(++seconds), QFileDevice::FileModificationTime);
    }
    {
        const QSettingsUserDefaults file(path);
        ReadOnlyDefaults stored(file);
        fuzz::checkLoadedPreferences(stored);
        if (const auto frame = file.string(MeterWindowFrame::settingsKey))
            (void)MeterWindowFrame::validated(QString::fromStdString(*frame), {QRectF(0, 0, 1920, 1080)});
    }
    return 0;
}
