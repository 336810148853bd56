#ifndef PACKAGEINSTALLER_H
#define PACKAGEINSTALLER_H

#include "diskwork.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QProcess;
class QTemporaryDir;
class QTimer;

// Unpacks downloaded update archives with the 7-Zip command-line program
// into the local upgrade store, from which the upgrade commands take them.
// A package comes from the update server and is hostile until checked: it
// is listed and bounded before 7-Zip unpacks it, and it lands in the store
// only once 7-Zip has succeeded.
namespace PackageInstaller {

// One family member: the kind it unpacks and the texts it shows.
struct Member {
    const char *kind;
    const char *directoryKey;   // settings key of the target directory
    const char *successTitle;
    const char *successSuffix;  // after the comment
    const char *failureTitle;
    const char *notUnzippedSuffix;
};

// The member for "hotfix", "firmware" or "zor_client" (any letter case); null for other kinds.
const Member *memberFor(const QString &kind);

// The archiver: "7zip/7z" in the program's folder (ending in a separator)
// first, then 7zz and 7z on PATH; empty when there is none.
QString findArchiver(const QString &programDir);

// "x ARCHIVE -oDIR -r -y -aoa": extract with paths, recursively, answering
// yes, overwriting. Debian's 7zz refuses the combined "-ry".
QStringList arguments(const QString &archive, const QString &targetDir);
// "l -slt -sccUTF-8 ARCHIVE": one "Key = value" block per entry.
QStringList listArguments(const QString &archive);

constexpr qint64 MiB = qint64(1) << 20;
// A package unpacks to at most this many times its own size, and never
// beyond MaxUnpacked; the disk keeps MinFreeSpace free after it.
constexpr qint64 MaxRatio = 20;
constexpr qint64 MaxUnpacked = 4096 * MiB;
constexpr qint64 MinFreeSpace = 256 * MiB;
// 7-Zip's listing is read to this size; a longer one is refused.
constexpr qint64 MaxListing = 16 * MiB;
// A refusal names the entry as its box shows it, on one line: a package may
// name a file of megabytes, which would hold the window while the box is laid out.
constexpr int MaxShownName = 1024;

// What a listing says: the unpacked total and the largest entry, or why
// the package is refused.
struct Listing {
    qint64 total = 0;
    qint64 largest = 0;
    QString refusal;
};
// Reads the output of `7zz l -slt`: every entry needs one size that is a
// plain number, a relative path and no ".." component.
Listing readListing(const QByteArray &output);
// Why a package of that size, unpacking to `total`, cannot go on a disk with
// `freeSpace` bytes free; empty when it can.
QString checkBounds(qint64 archiveSize, qint64 total, qint64 freeSpace, const QString &disk);

// Replaces the free-space measure of the target's disk (tests).
using FreeSpaceProbe = std::function<qint64(const QString &dir)>;
void setFreeSpaceProbe(FreeSpaceProbe probe);
qint64 freeSpace(const QString &dir);

// Moves the tree `from` into `to`: what `to` holds under the same name is
// replaced, everything else there is kept (what "x -aoa" straight into `to`
// would leave). Checked first (no links, no file where a folder is, or the
// other way round); any rename that fails undoes the earlier ones, as does
// a disk that does not take the new names, so `to` is either merged, its
// names on the disk, or as it was. Replaced files go to `attic`, on the
// same disk. Empty on success, otherwise why not.
QString moveIntoPlace(const QString &from, const QString &to, const QString &attic);

enum class Result { Unpacked, NotStarted, Failed, Refused };

// Limits of 7-Zip's two runs: a floor time plus the bytes at a floor rate
// (the archive for the listing, the unpacked total for the extraction).
struct TimeLimits {
    int listFloorMs = 30000;
    int unpackFloorMs = 60000;
    qint64 bytesPerSecond = 4 * MiB;
};

// One install: lists the archive, bounds it, unpacks it into a fresh
// directory beside the target (same disk), and moves the result into the
// target when 7-Zip succeeded, once its files are on the disk. Runs on the
// event loop; `finished` comes once, after the store's new names are on the
// disk too. Destroying it kills 7-Zip and removes what it wrote; a move into
// the target that has begun is waited for.
class Unpack : public QObject
{
    Q_OBJECT
public:
    Unpack(const QString &program, const QString &archive, const QString &targetDir, QObject *parent = nullptr);
    ~Unpack() override;

    void start();
    Result result() const { return m_result; }
    // Why a package was refused (shown) or failed (for the log).
    QString reason() const { return m_reason; }
    QString program() const { return m_program; }
    QString targetDir() const { return m_target; }

    TimeLimits limits;

signals:
    void finished();

private:
    void startListing();
    void listingFinished(int exitCode, bool normalExit);
    void startExtraction(const Listing &listing);
    void extractionFinished(int exitCode, bool normalExit);
    QProcess *newProcess(int limitMs);
    void finish(Result result, const QString &reason = QString());

    QString m_program;
    QString m_archive;
    QString m_target;
    Result m_result = Result::Failed;
    QString m_reason;
    QByteArray m_listing;
    bool m_done = false;
    // Declared before the process: destroyed after it, once 7-Zip is gone.
    std::unique_ptr<QTemporaryDir> m_sibling;
    QProcess *m_process = nullptr;
    QTimer *m_limit = nullptr;
    QTimer *m_spaceWatch = nullptr;
    // Syncs and moves the unpacked tree off the event loop: a large package
    // takes a while to reach the disk.
    DiskWork m_placing;
    Result m_placedResult = Result::Failed;   // written by m_placing
    QString m_placedReason;                   // written by m_placing
};

} // namespace PackageInstaller

#endif // PACKAGEINSTALLER_H
