#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace quillmark {

// A directory of the application's files. The main bundle is share/quillmark beside the executable's
// bin/ (in an install and in the build tree alike), holding Info.json; the resource bundle,
// Quillmark_Quillmark.bundle, holds the fonts and images.
class ResourceBundle {
public:
    static constexpr const char* resourceBundleName = "Quillmark_Quillmark.bundle";

    // The four places the resource bundle is looked for, in order. An empty text is a place that
    // does not exist.
    struct Places {
        QString mainResources;  // the main bundle's resource directory: <executable>/../share/quillmark
        QString mainLocation;   // the main bundle's own location: the executable's directory
        QString codeResources;  // the resource directory of what holds the code (linked in: as mainResources)
        QString codeLocation;   // the location of what holds the code (linked in: as mainLocation)
    };

    explicit ResourceBundle(QString directory) : directory_(std::move(directory)) {}

    const QString& directory() const noexcept { return directory_; }
    // The path of `name`.`ext` in this bundle when that file exists.
    std::optional<QString> url(const QString& name, const QString& ext) const;
    // A text value of this bundle's Info.json; nothing when the file, the key or a text value is missing.
    std::optional<std::string> infoString(const std::string& key) const;

    // The resource bundle of this process, looked up once: the first place that exists and holds a
    // Quillmark_Quillmark.bundle directory, else the main bundle.
    static const ResourceBundle& quillmarkResources();
    // The main bundle of this process, looked up once.
    static const ResourceBundle& main();

    // The lookup itself, for any set of places.
    static ResourceBundle find(const Places& places, const ResourceBundle& fallback);
    // This process's places.
    static Places defaultPlaces();

private:
    QString directory_;
};

}  // namespace quillmark
