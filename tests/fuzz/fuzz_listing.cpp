// 7-Zip's listing of a hostile package over any bytes: never a crash; a
// refused listing carries no sizes; an accepted one names only paths that
// stay inside the folder and its total is the sum of its entries' sizes,
// none larger than its largest. The bounds check then never lets through
// more than the cap or the free space allows.
#include "updates/core/packageinstaller.h"

#include <cstdlib>
#include <limits>

namespace {
bool escapes(const QByteArray &path)
{
    if (path.isEmpty() || path.startsWith('/') || path.startsWith('\\') || (path.size() >= 2 && path.at(1) == ':'))
        return true;
    for (const QByteArray &part : QByteArray(path).replace('\\', '/').split('/'))
        if (part == "..")
            return true;
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace PackageInstaller;
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const Listing listing = readListing(input);
    if (!listing.refusal.isEmpty()) {
        if (listing.total != 0 || listing.largest != 0)
            abort();
        return 0;
    }
    if (listing.largest < 0 || listing.largest > listing.total)
        abort();
    // The entries follow the line of dashes; each "Path" and "Size" line there counts.
    const qsizetype start = input.startsWith("----------") ? 0 : input.indexOf("\n----------");
    if (start < 0)
        abort();
    qint64 sum = 0;
    bool inEntries = false;
    for (QByteArray line : input.mid(start).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!inEntries) {
            inEntries = line == "----------";
            continue;
        }
        if (line.startsWith("Path = ") && escapes(line.mid(7)))
            abort();
        if (line.startsWith("Size = "))
            sum += line.mid(7).toLongLong();
    }
    if (sum != listing.total)
        abort();
    const qint64 lots = std::numeric_limits<qint64>::max();
    for (qint64 archive : {qint64(0), qint64(size), MaxUnpacked / MaxRatio + 1, lots}) {
        for (qint64 free : {qint64(-1), qint64(0), MinFreeSpace + qint64(size), lots}) {
            if (!checkBounds(archive, listing.total, free, QStringLiteral("/d")).isEmpty())
                continue;
            const qint64 cap = archive > MaxUnpacked / MaxRatio ? MaxUnpacked : archive * MaxRatio;
            if (listing.total > cap || listing.total > free - MinFreeSpace)
                abort();
        }
    }
    return 0;
}
