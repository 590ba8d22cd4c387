#include "platform/updater/AppcastParser.h"

#include <QXmlStreamReader>

namespace quillmark {
namespace {

const QString kSparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");
const QString kPlatformOS = QStringLiteral("linux");

bool isSparkle(const QXmlStreamReader& reader, QStringView name) {
    return reader.namespaceUri() == kSparkleNamespace && reader.name() == name;
}

bool isPlain(const QXmlStreamReader& reader, QStringView name) {
    return reader.namespaceUri().isEmpty() && reader.name() == name;
}

std::string text(QXmlStreamReader& reader) {
    return reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString();
}

std::optional<std::int64_t> byteCount(QStringView value) {
    bool ok = false;
    const qlonglong count = value.trimmed().toLongLong(&ok);
    if (!ok || count < 0) return std::nullopt;
    return count;
}

void readEnclosure(QXmlStreamReader& reader, AppcastItem& item) {
    const QXmlStreamAttributes attributes = reader.attributes();
    AppcastItem::Enclosure& enclosure = item.enclosure;
    enclosure.url = attributes.value(QStringLiteral("url")).trimmed().toString().toStdString();
    enclosure.length = byteCount(attributes.value(QStringLiteral("length")));
    enclosure.type = attributes.value(QStringLiteral("type")).toString().toStdString();
    enclosure.edSignature =
        attributes.value(kSparkleNamespace, QStringLiteral("edSignature")).trimmed().toString().toStdString();
    enclosure.os = attributes.value(kSparkleNamespace, QStringLiteral("os")).trimmed().toString().toStdString();
    // Older feeds put the versions on the enclosure; an element of the item wins.
    if (item.version.empty())
        item.version =
            attributes.value(kSparkleNamespace, QStringLiteral("version")).trimmed().toString().toStdString();
    if (item.shortVersionString.empty())
        item.shortVersionString = attributes.value(kSparkleNamespace, QStringLiteral("shortVersionString"))
                                      .trimmed()
                                      .toString()
                                      .toStdString();
    reader.skipCurrentElement();
}

AppcastItem readItem(QXmlStreamReader& reader) {
    AppcastItem item;
    std::string elementVersion;
    std::string elementShortVersion;
    while (reader.readNextStartElement()) {
        if (isPlain(reader, u"title")) item.title = text(reader);
        else if (isPlain(reader, u"pubDate")) item.pubDate = text(reader);
        else if (isPlain(reader, u"link")) item.link = text(reader);
        else if (isPlain(reader, u"enclosure")) readEnclosure(reader, item);
        else if (isSparkle(reader, u"version")) elementVersion = text(reader);
        else if (isSparkle(reader, u"shortVersionString")) elementShortVersion = text(reader);
        else if (isSparkle(reader, u"releaseNotesLink")) item.releaseNotesLink = text(reader);
        else if (isSparkle(reader, u"minimumSystemVersion")) item.minimumSystemVersion = text(reader);
        else if (isSparkle(reader, u"informationalUpdate")) {
            item.informationalUpdate = true;
            reader.skipCurrentElement();
        } else if (isSparkle(reader, u"criticalUpdate")) {
            item.criticalUpdate = true;
            reader.skipCurrentElement();
        } else reader.skipCurrentElement();
    }
    if (!elementVersion.empty()) item.version = elementVersion;
    if (!elementShortVersion.empty()) item.shortVersionString = elementShortVersion;
    return item;
}

void readChannel(QXmlStreamReader& reader, std::vector<AppcastItem>& items) {
    while (reader.readNextStartElement()) {
        if (!isPlain(reader, u"item")) {
            reader.skipCurrentElement();
            continue;
        }
        AppcastItem item = readItem(reader);
        if (item.enclosure.os == kPlatformOS.toStdString() && !item.version.empty()) items.push_back(std::move(item));
    }
}

}  // namespace

AppcastParser::Result AppcastParser::parse(const QByteArray& feed) {
    if (feed.size() > maxFeedBytes) return {{}, "The update feed is larger than 1 MiB."};
    QXmlStreamReader reader(feed);
    std::vector<AppcastItem> items;
    bool sawRoot = false;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        // Entities from a document type could make a small feed huge; feeds have no use for one.
        if (token == QXmlStreamReader::DTD) return {{}, "The update feed declares a document type."};
        if (token != QXmlStreamReader::StartElement) continue;
        if (sawRoot || !isPlain(reader, u"rss")) return {{}, "The update feed is not an RSS document."};
        sawRoot = true;
        while (reader.readNextStartElement()) {
            if (isPlain(reader, u"channel")) readChannel(reader, items);
            else reader.skipCurrentElement();
        }
    }
    if (reader.hasError()) return {{}, "The update feed is not valid XML: " + reader.errorString().toStdString() + "."};
    if (!sawRoot) return {{}, "The update feed is empty."};
    return {std::move(items), std::nullopt};
}

}  // namespace quillmark
