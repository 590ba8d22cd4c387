// The update feed: any bytes give either a refusal with its reason or the Linux items, each with a
// version, ready to be ordered.
#include "FuzzCheck.h"
#include "platform/updater/AppcastParser.h"
#include "platform/updater/VersionComparator.h"

#include <cstdint>

using namespace quillmark;
using quillmark::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray feed(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const AppcastParser::Result result = AppcastParser::parse(feed);
    if (result.error) {
        check(result.items.empty(), "a refused feed offers nothing");
        check(!result.error->empty(), "a refusal says why");
        return 0;
    }
    const AppcastItem* newest = nullptr;
    for (const AppcastItem& item : result.items) {
        check(item.enclosure.os == "linux", "only Linux items are kept");
        check(!item.version.empty(), "every kept item has a version");
        check(!item.enclosure.length || *item.enclosure.length >= 0, "a length is never negative");
        check(!item.displayVersion().empty(), "every kept item shows a version");
        if (!newest || VersionComparator::compare(item.version, newest->version) > 0) newest = &item;
    }
    for (const AppcastItem& item : result.items)
        check(VersionComparator::compare(item.version, newest->version) <= 0, "no item is newer than the newest");
    return 0;
}
