// The settings loader on a whole settings file: whatever the INI file holds, loading never fails,
// falls back where it must and what it loads survives a save.
#include "PreferencesCheck.h"
#include "app/meters/MeterWindowFrame.h"
#include "app/preferences/QSettingsUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

using namespace quillmark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir directory;
    // A fresh name each time: QSettings caches files by name and could serve the last input's.
    static std::uint64_t counter = 0;
    const QString path = directory.filePath(QStringLiteral("Quillmark-%1.ini").arg(++counter));
    {
        QFile file(path);
        fuzz::check(file.open(QIODevice::WriteOnly), "the settings file can be written");
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    {
        QSettingsUserDefaults stored(path);
        fuzz::checkLoadedPreferences(stored);
        if (const auto frame = stored.string(MeterWindowFrame::settingsKey))
            (void)MeterWindowFrame::validated(QString::fromStdString(*frame), {QRectF(0, 0, 1920, 1080)});
    }
    QFile::remove(path);
    return 0;
}
