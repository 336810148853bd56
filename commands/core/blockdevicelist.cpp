#include "blockdevicelist.h"

#include "devicelink/utils.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

const char *const BlockDeviceList::FilePattern = "*_blkdev_list.lst";

void BlockDeviceList::keepLines(const QStringList &lines)
{
    m_kept.unite(QSet<QString>(lines.cbegin(), lines.cend()));
}

bool BlockDeviceList::addLines(const QStringList &lines)
{
    bool whole = true;
    for (const QString &line : lines) {
        const auto found = m_index.constFind(line);
        if (found != m_index.constEnd()) {
            ++m_counts[found.value()];
            continue;
        }
        if (m_lines.size() >= MaxLines && !m_kept.contains(line)) {
            whole = false;
            continue;
        }
        m_index.insert(line, int(m_lines.size()));
        m_lines.append(line);
        m_counts.append(1);
    }
    return whole;
}

void BlockDeviceList::loadDirectory(const QString &dir)
{
    QStringList files;
    Utils::listFiles(&files, dir, QString::fromLatin1(FilePattern));
    for (const QString &path : files) {
        QFile file(path);
        // Only regular files: a pipe would block the dialog on open. A read
        // that fails part-way hands back the bytes before it as the whole
        // list, the last line cut where a disk's name may still read as
        // another disk's: such a list is left out, as one that cannot be
        // opened is.
        QByteArray data;
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)
            || !Utils::readUpTo(&file, MaxListBytes + 1, &data))
            continue;
        if (!addList(data))
            ++m_cutLists;
    }
}

bool BlockDeviceList::addList(const QByteArray &data)
{
    QByteArray head = data;
    const bool tooLong = head.size() > MaxListBytes;
    if (tooLong) {
        // A line cut in the middle is no line the device reported.
        head.truncate(MaxListBytes);
        head.truncate(head.lastIndexOf('\n') + 1);
    }
    // Byte for byte: the chosen lines go back to the devices unchanged.
    QTextStream in(&head, QIODevice::ReadOnly);
    in.setEncoding(QStringConverter::Latin1);
    // Bytes that look like a byte order mark would switch the stream to
    // UTF-16 or UTF-8 and change every line of the list.
    in.setAutoDetectUnicode(false);
    QStringList lines;
    QSet<QString> distinct;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        distinct.insert(line);
        if (distinct.size() > MaxListLines) {
            addLines(lines);
            return false;
        }
        lines.append(line);
    }
    return addLines(lines) && !tooLong;
}

QList<BlockDeviceList::Row> BlockDeviceList::rows() const
{
    QList<Row> out;
    for (int i = 0; i < m_lines.size(); ++i) {
        Row row;
        if (!parseLine(m_lines.at(i), &row))
            continue;
        row.occurrences = m_counts.at(i);
        out.append(row);
    }
    return out;
}

bool BlockDeviceList::parseLine(const QString &line, Row *row)
{
    // The white list file is read in text mode, which drops carriage
    // returns: a line holding one would be saved as another line, perhaps
    // one that names a different device's disk.
    const QStringList fields = line.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (fields.size() != 5 || line.contains(QLatin1Char('\r')))
        return false;
    row->line = line;
    row->sizeMb = sizeInMb(fields.at(0));
    row->vendor = fields.at(1);
    row->model = fields.at(2);
    row->type = fields.at(3);
    row->name = fields.at(4);
    return true;
}

QString BlockDeviceList::sizeInMb(const QString &field)
{
    bool ok = false;
    const qlonglong sectors = field.toLongLong(&ok, 10);
    if (field.isEmpty() || !ok)
        return QStringLiteral("0");
    return QString::number(sectors / 2048);
}
