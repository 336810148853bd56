#include "edidmodes.h"

#include <QStringList>

namespace EdidModes {

bool isCurrentModeMarker(const EdidInfo &entry)
{
    const QLatin1String zero("0");
    return entry.horizontal == zero && entry.vertical == zero && entry.sync == zero && entry.polarity == zero;
}

QList<Row> rows(const EdidInfo *entries, int count, const QString &supported)
{
    QList<Row> out;
    if (!entries)
        return out;
    const QStringList listed = supported.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < qBound(0, count, int(ThinclientInfo::MaxEdid)); ++i) {
        const EdidInfo &entry = entries[i];
        if (isCurrentModeMarker(entry)) {
            for (Row &row : out)
                if (row.mode.resolution == entry.resolution && row.mode.pixelClock == entry.pixelClock)
                    row.current = true;
            continue;
        }
        // Whole modes only: a piece of one ("280x720", or nothing at all)
        // would be sent to the device as a mode it is to boot with.
        out.append({entry, listed.contains(entry.resolution), false});
    }
    return out;
}

int initialPick(const QList<Row> &rows)
{
    for (qsizetype i = rows.size() - 1; i >= 0; --i)
        if (rows.at(i).current)
            return int(i);
    return -1;
}

} // namespace EdidModes
