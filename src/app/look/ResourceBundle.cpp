#include "app/look/ResourceBundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <system_error>

namespace quillmark {

namespace {

QString executableDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return QString::fromStdString(executable.parent_path().string());
}

QString existingDirectory(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir() ? path : QString(); }

QString shareBelow(const QString& prefix) {
    return prefix.isEmpty() ? QString() : QDir::cleanPath(prefix + QStringLiteral("/share/quillmark"));
}

}  // namespace

std::optional<QString> ResourceBundle::url(const QString& name, const QString& ext) const {
    const QString path = QDir(directory_).filePath(name + QLatin1Char('.') + ext);
    if (directory_.isEmpty() || !QFileInfo(path).isFile()) return std::nullopt;
    return path;
}

std::optional<std::string> ResourceBundle::infoString(const std::string& key) const {
    const auto path = url(QStringLiteral("Info"), QStringLiteral("json"));
    if (!path) return std::nullopt;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const nlohmann::json info = nlohmann::json::parse(file.readAll().toStdString(), nullptr, false);
    if (!info.is_object()) return std::nullopt;
    const auto value = info.find(key);
    if (value == info.end() || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

ResourceBundle ResourceBundle::find(const Places& places, const ResourceBundle& fallback) {
    for (const QString& place :
         {places.mainResources, places.mainLocation, places.codeResources, places.codeLocation}) {
        if (existingDirectory(place).isEmpty()) continue;
        const QString candidate = QDir(place).filePath(QString::fromLatin1(resourceBundleName));
        if (QFileInfo(candidate).isDir()) return ResourceBundle(candidate);
    }
    return fallback;
}

ResourceBundle::Places ResourceBundle::defaultPlaces() {
    // Only the executable's own location counts, so a moved install still finds its files and nothing
    // of the machine that built it is looked at. The code is linked into the executable: the bundle that
    // holds it is the executable's, so its two places are the same as the main bundle's.
    const QString executableDir = executableDirectory();
    const QString resources =
        existingDirectory(shareBelow(executableDir.isEmpty() ? QString() : executableDir + QStringLiteral("/..")));
    const QString location = existingDirectory(executableDir);
    return {resources, location, resources, location};
}

const ResourceBundle& ResourceBundle::main() {
    static const ResourceBundle bundle = [] {
        const Places places = defaultPlaces();
        if (!places.mainResources.isEmpty()) return ResourceBundle(places.mainResources);
        return ResourceBundle(places.mainLocation);
    }();
    return bundle;
}

const ResourceBundle& ResourceBundle::quillmarkResources() {
    static const ResourceBundle bundle = find(defaultPlaces(), main());
    return bundle;
}

}  // namespace quillmark
