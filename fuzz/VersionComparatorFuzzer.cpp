// The version order the updater picks releases by: a consistent order whatever the texts.
#include "FuzzCheck.h"
#include "platform/updater/VersionComparator.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

using namespace quillmark;
using quillmark::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string a = provider.ConsumeRandomLengthString(64);
    const std::string b = provider.ConsumeRandomLengthString(64);
    const std::string c = provider.ConsumeRemainingBytesAsString();

    const int ab = VersionComparator::compare(a, b);
    const int bc = VersionComparator::compare(b, c);
    const int ac = VersionComparator::compare(a, c);
    check(ab >= -1 && ab <= 1, "an order is -1, 0 or 1");
    check(VersionComparator::compare(a, a) == 0, "a version is the same as itself");
    check(VersionComparator::compare(b, a) == -ab, "swapping the two turns the order round");
    if (ab <= 0 && bc <= 0) check(ac <= 0, "the order is transitive");
    if (ab == 0 && bc == 0) check(ac == 0, "sameness is transitive");
    return 0;
}
