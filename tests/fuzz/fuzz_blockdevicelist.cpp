// The block-device lists that devices upload, over any bytes: a form feed
// starts the next device's list. Never a crash; the merged lines stay within
// their limits, a list taken whole keeps every one of its lines, and the
// lines a user ticks read back the same from the saved white list.
#include "commands/core/blockdevicelist.h"
#include "commands/core/whitelistfile.h"
#include "scratchdir.h"

#include <cstdlib>

namespace {
// The lines of one list as the devices write them: "\n" or "\r\n" ends a line.
QStringList linesOf(const QByteArray &list)
{
    QList<QByteArray> parts = list.split('\n');
    if (parts.last().isEmpty())
        parts.removeLast();
    QStringList lines;
    for (QByteArray part : parts) {
        if (part.endsWith('\r'))
            part.chop(1);
        lines << QString::fromLatin1(part);
    }
    return lines;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    BlockDeviceList merged;
    for (const QByteArray &list : input.split('\f')) {
        const qsizetype before = merged.lines().size();
        const bool whole = merged.addList(list);
        const qsizetype added = merged.lines().size() - before;
        if (added < 0 || added > BlockDeviceList::MaxListLines || merged.lines().size() > BlockDeviceList::MaxLines)
            abort();
        if (whole) {
            for (const QString &line : linesOf(list))
                if (!merged.lines().contains(line))
                    abort();
        }
    }
    int seen = 0;
    for (int i = 0; i < merged.lines().size(); ++i) {
        if (merged.lines().at(i).contains(QLatin1Char('\n')) || merged.occurrences(i) < 1)
            abort();
        seen += merged.occurrences(i);
    }
    if (seen > input.count('\n') + input.count('\f') + 1)
        abort();
    QStringList ticked;
    for (const BlockDeviceList::Row &row : merged.rows()) {
        if (row.line.count(QLatin1Char(',')) != 4)
            abort();
        ticked << row.line;
    }
    if (!WhiteListFile::save(scratchDir(), ticked) || WhiteListFile::load(scratchDir()) != ticked)
        abort();
    return 0;
}
