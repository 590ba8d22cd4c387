#include "app/services/PathScrubber.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdlib>

namespace quillmark {

namespace {

constexpr const char* kHomeMarker = "<home>";
constexpr const char* kPathMarker = "<path-scrubbed>";

// The original places (/Users, /Volumes, the temporary folders) and this platform's: home directories,
// removable media, per-user runtime directories and the long-lived temporary directory.
const QRegularExpression& pathPattern() {
    static const QRegularExpression pattern = [] {
        QRegularExpression compiled(QStringLiteral(R"((/Users/[^\s"']+|/Volumes/[^\s"']+|/private/var/folders/[^\s"']+)"
                                                   R"(|/tmp/[^\s"']+|/home/[^\s"']+|/run/media/[^\s"']+)"
                                                   R"(|/media/[^\s"']+|/run/user/[^\s"']+|/var/tmp/[^\s"']+))"));
        if (!compiled.isValid()) std::abort();  // a fixed pattern: failing here is a programming error
        compiled.optimize();
        return compiled;
    }();
    return pattern;
}

const std::vector<std::string> kFilePathPrefixes{
    "/Users/", "/Volumes/", "/private/var/folders/", "/tmp/",      "/private/Users/", "/private/tmp/",
    "/home/",  "/media/",   "/run/media/",           "/run/user/", "/var/tmp/"};

// A home of "" or "/" would turn every "/" into "<home>": such a home is no prefix.
bool usableHome(const std::string& home) { return !home.empty() && home != "/"; }

void addUnique(std::vector<std::string>& list, const std::string& text) {
    for (const auto& present : list)
        if (present == text) return;
    list.push_back(text);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

void scrubDictionary(std::optional<std::map<std::string, nlohmann::json>>& dictionary,
                     const PathScrubber::Rules& rules) {
    if (!dictionary) return;
    std::map<std::string, nlohmann::json> scrubbed;
    for (const auto& [key, value] : *dictionary)
        scrubbed[key] =
            value.is_string() ? nlohmann::json(PathScrubber::scrubText(value.get<std::string>(), rules)) : value;
    dictionary = std::move(scrubbed);
}

void scrubOptionalText(std::optional<std::string>& text, const PathScrubber::Rules& rules) {
    if (text) text = PathScrubber::scrubText(*text, rules);
}

void scrubOptionalPath(std::optional<std::string>& path, const PathScrubber::Rules& rules) {
    if (path) path = PathScrubber::scrubFilePath(*path, rules);
}

void scrubStacktrace(std::optional<SentryEvent::Stacktrace>& stacktrace, const PathScrubber::Rules& rules) {
    if (!stacktrace) return;
    for (auto& frame : stacktrace->frames) {
        scrubOptionalPath(frame.package, rules);
        scrubOptionalPath(frame.fileName, rules);
    }
}

}  // namespace

PathScrubber::Rules PathScrubber::rulesFor(const std::string& home) {
    Rules rules;
    rules.filePathPrefixes = kFilePathPrefixes;
    std::string canonical;
    if (usableHome(home)) {
        rules.homePrefixes = {"/private" + home, home};
        canonical = QFileInfo(QString::fromStdString(home)).canonicalFilePath().toStdString();
        addUnique(rules.filePathPrefixes, home + "/");
    }
    if (usableHome(canonical)) {
        addUnique(rules.homePrefixes, canonical);
        addUnique(rules.filePathPrefixes, canonical + "/");
    }
    return rules;
}

const PathScrubber::Rules& PathScrubber::rules() {
    static const Rules thisUser = rulesFor(QDir::homePath().toStdString());
    return thisUser;
}

std::string PathScrubber::scrubText(const std::string& text, const Rules& rules) {
    std::string result = text;
    for (const auto& prefix : rules.homePrefixes) result = replaceAll(std::move(result), prefix, kHomeMarker);
    return QString::fromStdString(result).replace(pathPattern(), QString::fromLatin1(kPathMarker)).toStdString();
}

std::string PathScrubber::scrubFilePath(const std::string& path, const Rules& rules) {
    if (path.empty()) return path;
    bool matches = false;
    for (const auto& prefix : rules.filePathPrefixes) matches = matches || path.rfind(prefix, 0) == 0;
    if (!matches) return path;
    std::string trimmed = path;
    if (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return std::string(kPathMarker) + "/" + trimmed.substr(trimmed.rfind('/') + 1);
}

void PathScrubber::scrubPaths(SentryBreadcrumb& breadcrumb, const Rules& rules) {
    scrubOptionalText(breadcrumb.message, rules);
    scrubDictionary(breadcrumb.data, rules);
}

void PathScrubber::scrubPaths(SentryEvent& event, const Rules& rules) {
    if (event.message) scrubOptionalText(event.message->message, rules);
    scrubDictionary(event.extra, rules);
    if (event.exceptions)
        for (auto& exception : *event.exceptions) scrubOptionalText(exception.value, rules);
    scrubOptionalText(event.transaction, rules);
    if (event.exceptions)
        for (auto& exception : *event.exceptions) scrubStacktrace(exception.stacktrace, rules);
    if (event.threads)
        for (auto& thread : *event.threads) scrubStacktrace(thread.stacktrace, rules);
    if (event.debugMeta)
        for (auto& image : *event.debugMeta) scrubOptionalPath(image.codeFile, rules);
    if (event.breadcrumbs)
        for (auto& breadcrumb : *event.breadcrumbs) scrubPaths(breadcrumb, rules);
}

}  // namespace quillmark
