// The settings loader on a whole settings file: whatever the INI file holds, loading never fails,
// falls back where it must and what it loads survives a save. The screen before it reads the file as
// QSettings does: what QSettings reads as text is what the screen read, the lines it keeps are the
// file's own, and a screened file has nothing more to take out.
#include "PreferencesCheck.h"
#include "app/meters/MeterWindowFrame.h"
#include "app/settings/IniLineReader.h"
#include "app/settings/IniText.h"
#include "app/settings/QSettingsUserDefaults.h"
#include "app/settings/SettingsFileScreen.h"
#include "log/SystemLog.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

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

// The lines of a file as QSettings splits it.
std::vector<QByteArrayView> linesOf(QByteArrayView text) {
    std::vector<QByteArrayView> lines;
    IniLineReader reader(text);
    while (const auto line = reader.next()) lines.push_back(text.sliced(line->start, line->end - line->start));
    return lines;
}

// Whether `kept` are some of `all`, in their order.
bool areSomeOf(const std::vector<QByteArrayView>& kept, const std::vector<QByteArrayView>& all) {
    std::size_t at = 0;
    for (const QByteArrayView line : kept) {
        while (at < all.size() && all[at] != line) ++at;
        if (at++ == all.size()) return false;
    }
    return true;
}

// A value QSettings gives as text or a list of texts ("@@" standing for '@'); nothing for one it may
// decode as a typed value.
std::optional<QVariant> asText(const IniText::Value& value) {
    QStringList texts;
    for (const IniText::Element& element : value.elements) {
        if (element.text.startsWith(QLatin1StringView("@@"))) {
            texts.append(element.text.sliced(1));
        } else if (element.text.startsWith(u'@')) {
            return std::nullopt;
        } else {
            texts.append(element.text);
        }
    }
    return value.isList ? QVariant(texts) : QVariant(texts.front());
}

// The texts the screen reads for the keys of General, the last of a key winning. Keys holding '/' (another
// section may give the same name) and the empty key are left out.
std::map<QString, std::optional<QVariant>> generalTextsOf(QByteArrayView text) {
    std::map<QString, std::optional<QVariant>> texts;
    IniLineReader reader(text);
    QString section;
    while (const auto line = reader.next()) {
        const QByteArrayView whole = text.sliced(line->start, line->end - line->start);
        if (whole.startsWith('[')) {
            section = IniText::section(whole);
            continue;
        }
        if (line->equals < 0 || !section.isEmpty()) continue;
        const qsizetype equals = line->equals - line->start;
        const QString key = IniText::key(whole.first(equals).trimmed());
        if (key.isEmpty() || key.contains(u'/')) continue;
        texts[key] = asText(IniText::value(whole.sliced(equals + 1)));
    }
    return texts;
}

void checkTheScreenReadsAsQSettings(const QByteArray& input, const QString& path) {
    const SettingsFileScreen::Screened screened = SettingsFileScreen::screen(input);
    QFile file(path);
    fuzz::check(file.open(QIODevice::ReadOnly), "the settings file can be read");
    const QByteArray onDisk = file.readAll();
    fuzz::check(onDisk == (screened.droppedKeys.empty() ? input : screened.text), "the file holds what was screened");
    const auto before = linesOf(input);
    const auto after = linesOf(onDisk);
    fuzz::check(areSomeOf(after, before) && before.size() - after.size() == screened.droppedKeys.size(),
                "only the dropped lines are gone, and the others read as they did");
    fuzz::check(SettingsFileScreen::screen(onDisk).droppedKeys.empty(), "a screened file has nothing to take out");

    const QSettings settings(path, QSettings::IniFormat);
    for (const auto& [key, text] : generalTextsOf(onDisk))
        if (text) fuzz::check(settings.value(key) == *text, "QSettings reads a key's text as the screen did");
}

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
    checkTheScreenReadsAsQSettings(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), path);
    return 0;
}
