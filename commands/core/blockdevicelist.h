#ifndef BLOCKDEVICELIST_H
#define BLOCKDEVICELIST_H

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The storage devices that the clients reported, one line per device in
// "size,vendor,model,type,name" form, merged over all clients' lists.
class BlockDeviceList
{
public:
    // The lists the devices upload into the temporary directory.
    static const char *const FilePattern;
    // Of each client's list only this much is read: a real list has a line
    // per disk, and every distinct line becomes a row of the dialog.
    static constexpr qint64 MaxListBytes = 64 * 1024;
    static constexpr int MaxListLines = 256;
    // Distinct lines kept over all lists. Each is a table row with a check
    // box of its own, some 4 KiB, and a device may upload list after list
    // under names of its choosing; a fleet's disks make a few dozen.
    static constexpr int MaxLines = 4096;

    // One table row of a well-formed line.
    struct Row
    {
        QString line;
        QString sizeMb;
        QString vendor;
        QString model;
        QString type;
        QString name;
        int occurrences = 0;
    };

    // Lines that still get a row past MaxLines: those of the white list. OK
    // saves only the rows' ticks, and lists a device crowds the table with
    // must not push a disk the administrator chose out of it.
    void keepLines(const QStringList &lines);
    // Adds the lines of one client's list: a line seen before counts once more.
    // False when new lines were left out because MaxLines were kept already.
    bool addLines(const QStringList &lines);
    // Reads every "*_blkdev_list.lst" file of dir, in name order; files that
    // cannot be opened are skipped. Each is read up to MaxListBytes and
    // MaxListLines distinct lines, all of them up to MaxLines.
    void loadDirectory(const QString &dir);
    // Adds one client's list from its bytes, within the limits above; false
    // when it was cut.
    bool addList(const QByteArray &data);
    // How many lists were cut by the limits.
    int cutLists() const { return m_cutLists; }

    // The distinct lines in order of first appearance, and how often each came.
    const QStringList &lines() const { return m_lines; }
    int occurrences(int index) const { return m_counts.value(index); }

    // Rows of the lines parseLine takes, in line order.
    QList<Row> rows() const;

    // A line's row, or false when it does not split into five fields or
    // holds a carriage return.
    static bool parseLine(const QString &line, Row *row);
    // The size field (512-byte sectors) in megabytes, truncated; "0" when it
    // is empty or not a number.
    static QString sizeInMb(const QString &field);

private:
    QStringList m_lines;
    QList<int> m_counts;
    QHash<QString, int> m_index;   // thousands of clients: no linear search per line
    QSet<QString> m_kept;
    int m_cutLists = 0;
};

#endif // BLOCKDEVICELIST_H
