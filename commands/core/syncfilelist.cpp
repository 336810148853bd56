#include "syncfilelist.h"

#include "devicelink/utils.h"
#include "updates/core/disksync.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

SyncFileListObserver::~SyncFileListObserver() = default;
void SyncFileListObserver::directoryShown(const QString &, int) {}
void SyncFileListObserver::entryReached(int) {}
void SyncFileListObserver::summing() {}
bool SyncFileListObserver::cancelled() { return false; }
void SyncFileListObserver::unreadableFile(const QString &) {}

namespace SyncFileList {

namespace {

// Symbolic links are never followed (no loops, nothing outside the content
// directory); hidden entries are not content.
constexpr QDir::Filters EntryFilter = QDir::Dirs | QDir::Files | QDir::Drives | QDir::NoSymLinks
                                      | QDir::NoDotAndDotDot;
// Case-sensitive name order, directories first: the order the devices expect.
constexpr QDir::SortFlags EntryOrder = QDir::Name | QDir::DirsFirst;

// A device reads the list line by line and asks for each path back in
// Latin-1: a line end in a name would cut its entry in two (the rest reading
// as an entry of its own), and a character Latin-1 cannot hold would reach
// the device as '?', naming a file that is not there.
bool listable(const QString &path)
{
    return Utils::holdsOnWire(path) && !path.contains(QLatin1Char('\n')) && !path.contains(QLatin1Char('\r'));
}

// A directory that cannot be listed lists as empty: written so, its line
// would tell the devices that it holds nothing.
bool canList(const QString &dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

class Walker
{
public:
    Walker(QIODevice *out, SyncFileListObserver *observer) : m_out(out), m_observer(observer)
    {
        // The devices send these paths back in file requests, whose texts are
        // Latin-1: the list uses the same encoding so the paths match.
        m_out.setEncoding(QStringConverter::Latin1);
    }

    Result walk(const QString &dir)
    {
        const QFileInfoList entries = QDir(dir).entryInfoList(EntryFilter, EntryOrder);
        const int count = int(entries.size());
        m_observer->directoryShown(dir, count);
        for (int i = 0; i < count; ++i) {
            // Looked at once the entry is shown, which is when Cancel is
            // seen: an entry left out after it would warn of a list that is
            // not written.
            m_observer->entryReached(i);
            if (m_observer->cancelled())
                return Result::Cancelled;
            const QFileInfo &entry = entries.at(i);
            const QString path = entry.absoluteFilePath();
            if (!listable(path) || (entry.isDir() && !canList(path))) {
                // Left out with what lies under it, as an unreadable file is.
                m_observer->unreadableFile(path);
            } else if (entry.isDir()) {
                m_out << "dir=" << path << '\n';
                if (!flushed())
                    return Result::WriteFailed;
                const Result sub = walk(path);
                if (sub != Result::Written)
                    return sub;
                m_observer->directoryShown(dir, count);
            } else {
                QString md5;
                bool stopped = false;
                const bool summed = Utils::fileMd5(path, &md5, [this, &stopped] {
                    m_observer->summing();
                    stopped = m_observer->cancelled();
                    return !stopped;
                });
                if (stopped)
                    return Result::Cancelled;
                if (summed)
                    m_out << "file=" << path << " md5sum=" << md5 << '\n';
                else
                    m_observer->unreadableFile(path);
            }
        }
        if (!flushed())
            return Result::WriteFailed;
        // A cancel that came while the last entry was worked on still counts.
        return m_observer->cancelled() ? Result::Cancelled : Result::Written;
    }

private:
    bool flushed()
    {
        m_out.flush();
        return m_out.status() == QTextStream::Ok;
    }

    QTextStream m_out;
    SyncFileListObserver *m_observer;
};

} // namespace

QString listPath(const QString &tempDir, int output)
{
    // No temporary directory set: no path, rather than one at the root.
    if (tempDir.isEmpty())
        return QString();
    return tempDir + QStringLiteral("/dsi_file_list_op%1.txt").arg(output);
}

Result write(const QString &dir, QIODevice *out, SyncFileListObserver *observer)
{
    SyncFileListObserver silent;
    SyncFileListObserver *const told = observer ? observer : &silent;
    if (!canList(dir)) {
        told->unreadableFile(dir);
        return Result::Unreadable;
    }
    Walker walker(out, told);
    return walker.walk(dir);
}

Result create(const QString &dir, const QString &listPath, SyncFileListObserver *observer)
{
    if (dir.isEmpty() || listPath.isEmpty())
        return Result::MissingArgument;
    if (!QDir(dir).exists())
        return Result::NoDirectory;
    QSaveFile file(listPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return Result::CannotCreate;
    const Result result = write(dir, &file, observer);
    if (result != Result::Written) {
        file.cancelWriting();
        return result;
    }
    // commit() does not report a failed flush of the file's own buffer:
    // flushing here makes a full disk a failed save, whatever the stream did.
    if (!file.flush()) {
        file.cancelWriting();
        return Result::WriteFailed;
    }
    return DiskSync::commit(file) ? Result::Written : Result::WriteFailed;
}

} // namespace SyncFileList
