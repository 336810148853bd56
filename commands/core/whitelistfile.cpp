#include "whitelistfile.h"

#include "updates/core/disksync.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace WhiteListFile {

QString path(const QString &dir)
{
    // No temporary directory set: no file, rather than one at the root.
    return dir.isEmpty() ? QString() : dir + QStringLiteral("/whitelist.txt");
}

QStringList load(const QString &dir)
{
    QStringList lines;
    QFile file(path(dir));
    // As for the devices' requests: a pipe or a device node under the list's
    // name would hold the dialog on open or on read.
    if (!QFileInfo(file.fileName()).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return lines;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Latin1);
    // A first line starting with bytes like a byte order mark is still Latin-1.
    in.setAutoDetectUnicode(false);
    while (!in.atEnd()) {
        lines.append(in.readLine());
        // A read that fails part-way leaves the file short of its end for
        // good, and the line before it cut ("sd" for "sdab"): a list that
        // cannot be read, rather than lines without end.
        if (file.error() != QFileDevice::NoError)
            return {};
    }
    return lines;
}

bool save(const QString &dir, const QStringList &lines)
{
    if (dir.isEmpty())
        return false;
    QSaveFile file(path(dir));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Latin1);
    for (const QString &line : lines)
        out << line << '\n';
    out.flush();
    // commit() does not report a failed flush of the file's own buffer:
    // flushing here makes a full disk a failed save, whatever the stream did.
    if (out.status() != QTextStream::Ok || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return DiskSync::commit(file);
}

bool carry(const QString &from, const QString &to)
{
    if (to.isEmpty())
        return false;
    const QFileInfo source(path(from));
    if (!source.exists() && !source.isSymLink()) {
        const QFileInfo target(path(to));
        return !(target.exists() || target.isSymLink()) || QFile::remove(target.filePath());
    }
    // As for the devices' requests: only a regular file is read.
    QFile file(source.filePath());
    if (!source.isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    QSaveFile copy(path(to));
    if (!copy.open(QIODevice::WriteOnly))
        return false;
    // A read that fails part-way ends like the end of the file: the copy
    // would be the list cut short, naming fewer disks than were chosen.
    for (QByteArray chunk; !(chunk = file.read(64 * 1024)).isEmpty();) {
        if (copy.write(chunk) != chunk.size())
            break;
    }
    if (file.error() != QFileDevice::NoError || copy.error() != QFileDevice::NoError || !copy.flush()) {
        copy.cancelWriting();
        return false;
    }
    return DiskSync::commit(copy);
}

QByteArray payload(const QString &dir, int maxBytes)
{
    QFile file(path(dir));
    // Any device may ask, at any time: a pipe or a device node under the
    // list's name would hold the console on open or on read.
    if (maxBytes <= 0 || !QFileInfo(file.fileName()).isFile()
        || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QByteArray();
    // One byte past the limit tells whether the file goes on beyond it. Text
    // mode drops carriage returns, so a read may return less than asked.
    QByteArray data;
    while (data.size() <= maxBytes) {
        const QByteArray chunk = file.read(maxBytes + 1 - data.size());
        if (chunk.isEmpty())
            break;
        data += chunk;
    }
    if (file.error() != QFileDevice::NoError)
        return QByteArray();
    if (data.size() > maxBytes) {
        // A first line longer than the limit still goes, cut: the device
        // would otherwise get no list at all.
        const qsizetype lineEnd = data.lastIndexOf('\n', maxBytes - 1);
        data.truncate(lineEnd < 0 ? maxBytes : lineEnd + 1);
    }
    return data;
}

} // namespace WhiteListFile
