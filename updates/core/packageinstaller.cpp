#include "packageinstaller.h"
#include "disksync.h"

#include "devicelink/utils.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <limits>

#include <cstdio>   // renameat2
#include <fcntl.h>
#include <sys/stat.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {

const PackageInstaller::Member Members[] = {
    {"hotfix", "hotfixDir", "Hotfix update",
     " has been downloaded to this system.You can now install it on thinclient devices", "Hotfix Update",
     "\n\nHotfix update was not unzipped"},
    {"firmware", "firmwareImageDir", "Firmware Update",
     " has been downloaded to this system. You can now install it on thinclient devices", "Firmware Update",
     "\n\nFirmware update was not unzipped"},
    {"zor_client", "appImageDir", "Korvane client update",
     " has been downloaded to this sytem. You can now install it on thinclient devices", "Korvane client update",
     "\n\nKorvane client update was not unzipped"},
};

PackageInstaller::FreeSpaceProbe freeSpaceProbe;

QString dataSize(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1);
}

// A path that stays inside the folder it is unpacked into.
bool isContained(const QString &path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\')))
        return false;
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':'))
        return false;
    // Built once: a package lists up to hundreds of thousands of paths.
    static const QRegularExpression separator(QStringLiteral("[/\\\\]"));
    for (const QString &part : path.split(separator))
        if (part == QLatin1String(".."))
            return false;
    return true;
}

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Qt cannot name a file whose name is not UTF-8, so it would leave such a
// file, and the folders above it, behind: a tree is removed by its bytes.
void removeTree(const QString &dir)
{
    namespace fs = std::filesystem;
    const fs::path root = nativePath(dir);
    std::error_code error;
    fs::remove_all(root, error);
    if (!error)
        return;
    // remove_all holds a folder open for every level it is down: a package
    // nested deeper than the files a process may keep open would stay. It
    // is taken apart from its deepest folder up, one folder open at a time.
    fs::path at = root;
    for (;;) {
        fs::path deeper;
        for (fs::directory_iterator it(at, error), end; !error && it != end; it.increment(error)) {
            std::error_code kind;
            if (it->symlink_status(kind).type() == fs::file_type::directory) {
                deeper = it->path();
                break;
            }
        }
        if (!deeper.empty()) {
            at = deeper;
            continue;
        }
        fs::remove_all(at, error);
        if (error || at == root)
            return;
        at = at.parent_path();
    }
}

void removeSibling(std::unique_ptr<QTemporaryDir> &sibling)
{
    if (sibling) {
        sibling->setAutoRemove(false);
        removeTree(sibling->path());
        sibling.reset();
    }
}

QFileInfoList entries(const QString &dir)
{
    return QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

bool occupied(const QFileInfo &info)
{
    return info.exists() || info.isSymLink();
}

// A folder Qt cannot open lists as an empty one: one of the package's
// folders past the longest path the system takes would be passed over, its
// files neither checked nor moved, and the install told as done.
bool canList(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Why `from` cannot be merged into `to` (which need not exist); `shown` is
// the path within the package.
QString mergeProblem(const QString &from, const QString &to, const QString &shown)
{
    for (const QFileInfo &n : entries(from)) {
        const QString name = shown + n.fileName();
        // A link would let a later entry, or a device fetching from the
        // store, reach outside it.
        if (n.isSymLink())
            return QStringLiteral("it holds a link: ") + name;
        if (!n.isDir() && !n.isFile())
            return QStringLiteral("it holds something that is neither a file nor a folder: ") + name;
        const QFileInfo o(to + QLatin1Char('/') + n.fileName());
        if (n.isDir()) {
            if (occupied(o) && !o.isDir())
                return QStringLiteral("it would replace a file with a folder: ") + name;
            if (!canList(n.filePath()))
                return QStringLiteral("it holds a folder that cannot be read: ") + name;
            const QString problem = mergeProblem(n.filePath(), o.filePath(), name + QLatin1Char('/'));
            if (!problem.isEmpty())
                return problem;
        } else if (o.isDir()) {
            return QStringLiteral("it would replace a folder with a file: ") + name;
        }
    }
    return QString();
}

// The renames of one merge, undone in reverse order when one fails.
class Mover
{
public:
    explicit Mover(const QString &attic) : m_attic(attic) {}

    bool rename(const QString &from, const QString &to)
    {
        std::error_code error;
        std::filesystem::rename(nativePath(from), nativePath(to), error);
        if (error) {
            m_error = QStringLiteral("it could not be moved to %1: %2").arg(to, QString::fromLocal8Bit(error.message().c_str()));
            return false;
        }
        m_done.append({from, to, false});
        return true;
    }

    // The package's file and the store's swap names in one step, where the
    // file system can: a console killed between two renames would leave the
    // store without the file, its old bytes only in the attic.
    bool exchange(const QString &from, const QString &to)
    {
        if (!swap(from, to))
            return false;
        m_done.append({from, to, true});
        return true;
    }

    bool merge(const QString &from, const QString &to)
    {
        for (const QFileInfo &n : entries(from)) {
            const QString dest = to + QLatin1Char('/') + n.fileName();
            const QFileInfo o(dest);
            if (!occupied(o)) {
                if (!rename(n.filePath(), dest))
                    return false;
            } else if (n.isDir()) {
                if (!merge(n.filePath(), dest))
                    return false;
            } else if (!exchange(n.filePath(), dest)) {
                const QString kept = m_attic + QLatin1Char('/') + QString::number(m_kept++);
                if (!rename(dest, kept) || !rename(n.filePath(), dest))
                    return false;
            }
        }
        return true;
    }

    void undo()
    {
        for (auto it = m_done.crbegin(); it != m_done.crend(); ++it) {
            if (it->exchanged) {
                swap(it->from, it->to);
                continue;
            }
            std::error_code ignored;
            std::filesystem::rename(nativePath(it->to), nativePath(it->from), ignored);
        }
        m_done.clear();
    }

    // The folders that took new names, and they alone: the rest of the
    // store was not written, and may hold folders the console cannot open
    // (a disk's lost+found), or thousands to sync one by one.
    bool syncNames() const
    {
        QSet<QString> folders;
        for (const Step &step : m_done)
            folders.insert(QFileInfo(step.to).absolutePath());
        bool synced = true;
        for (const QString &folder : std::as_const(folders))
            synced = DiskSync::directory(folder) && synced;
        return synced;
    }

    QString error() const { return m_error; }

private:
    struct Step
    {
        QString from, to;
        bool exchanged;
    };

    static bool swap(const QString &a, const QString &b)
    {
#if defined(Q_OS_LINUX) && defined(RENAME_EXCHANGE)
        return ::renameat2(AT_FDCWD, QFile::encodeName(a).constData(), AT_FDCWD, QFile::encodeName(b).constData(),
                           RENAME_EXCHANGE)
               == 0;
#else
        Q_UNUSED(a);
        Q_UNUSED(b);
        return false;
#endif
    }

    QString m_attic;
    int m_kept = 0;
    QList<Step> m_done;
    QString m_error;
};

// A folder mounted where it is: another disk than the folder it lies in,
// or a folder of the same disk mounted there again, which no rename crosses
// either.
bool isMountPoint(const QString &dir)
{
    const QByteArray self = QFile::encodeName(dir);
    const QByteArray up = QFile::encodeName(dir + QStringLiteral("/.."));
    struct stat s, p;
    if (::stat(self.constData(), &s) != 0 || !S_ISDIR(s.st_mode) || ::stat(up.constData(), &p) != 0)
        return false;
    if (s.st_dev != p.st_dev)
        return true;
#if defined(Q_OS_LINUX) && defined(STATX_MNT_ID)
    struct statx sx, px;
    if (::statx(AT_FDCWD, self.constData(), 0, STATX_MNT_ID, &sx) == 0
        && ::statx(AT_FDCWD, up.constData(), 0, STATX_MNT_ID, &px) == 0 && (sx.stx_mask & px.stx_mask & STATX_MNT_ID))
        return sx.stx_mnt_id != px.stx_mnt_id;
#endif
    return false;
}

#ifdef Q_OS_UNIX
// Run in 7-Zip's process before it starts. A console killed meanwhile takes
// 7-Zip with it: nobody would bound its time any more, and what it went on
// writing beside the store would outlast the next install's clearing up.
void endWithConsole(pid_t console)
{
#ifdef Q_OS_LINUX
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The console may have died before the line above.
    if (::getppid() != console)
        ::_exit(127);
#else
    Q_UNUSED(console);
#endif
}
#endif

} // namespace

const PackageInstaller::Member *PackageInstaller::memberFor(const QString &kind)
{
    for (const Member &m : Members)
        if (kind.compare(QLatin1String(m.kind), Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

QString PackageInstaller::findArchiver(const QString &programDir)
{
    // No folder is not the current one: whatever folder the console was
    // started in, a "7zip/7z" there is not its own.
    const QFileInfo beside(programDir + QStringLiteral("7zip/7z"));
    if (!programDir.isEmpty() && beside.isFile() && beside.isExecutable())
        return beside.filePath();
    for (const char *name : {"7zz", "7z"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

// The package's name comes from the update list: without -spd, 7-Zip reads
// a "*" or "?" in it as a pattern and takes every archive beside it that
// matches, not only the one whose sum was checked.
QStringList PackageInstaller::arguments(const QString &archive, const QString &targetDir)
{
    return {QStringLiteral("x"), archive, QStringLiteral("-o") + targetDir, QStringLiteral("-r"), QStringLiteral("-y"),
            QStringLiteral("-aoa"), QStringLiteral("-spd")};
}

QStringList PackageInstaller::listArguments(const QString &archive)
{
    return {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-sccUTF-8"), QStringLiteral("-spd"), archive};
}

PackageInstaller::Listing PackageInstaller::readListing(const QByteArray &output)
{
    Listing listing;
    const QString unreadable = QStringLiteral("its list of contents could not be read");
    bool inEntries = false;
    int entryCount = 0, paths = 0, sizes = 0;
    // Every entry names one path and one size; anything else is a listing
    // this reader does not know, and the package is not trusted.
    const auto endEntry = [&] {
        if (paths == 0 && sizes == 0)
            return true;
        ++entryCount;
        const bool whole = paths == 1 && sizes == 1;
        paths = sizes = 0;
        return whole;
    };
    for (QByteArray line : output.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!inEntries) {
            inEntries = line == "----------";
            continue;
        }
        if (line.isEmpty()) {
            if (!endEntry())
                return Listing{0, 0, unreadable};
            continue;
        }
        const qsizetype eq = line.indexOf(" = ");
        if (eq <= 0)
            return Listing{0, 0, unreadable};
        const QByteArray key = line.left(eq), value = line.mid(eq + 3);
        if (key == "Path") {
            ++paths;
            const QString path = QString::fromUtf8(value);
            // 7-Zip prints a name as the package holds it, and writes it so:
            // one that is not UTF-8 has no name here, so it could neither be
            // checked nor moved into the store, nor even removed.
            if (path.toUtf8() != value)
                return Listing{0, 0, unreadable};
            if (!isContained(path))
                return Listing{0, 0, QStringLiteral("it names a file outside its folder: ")
                                         + Utils::oneLine(path.left(MaxShownName))};
        } else if (key == "Size") {
            ++sizes;
            bool ok = value.size() <= 19 && !value.isEmpty();
            for (char c : value)
                ok = ok && c >= '0' && c <= '9';
            const qint64 size = ok ? value.toLongLong(&ok) : -1;
            if (!ok || size > std::numeric_limits<qint64>::max() - listing.total)
                return Listing{0, 0, unreadable};
            listing.total += size;
            listing.largest = qMax(listing.largest, size);
        }
    }
    if (!endEntry() || entryCount == 0)
        return Listing{0, 0, unreadable};
    return listing;
}

QString PackageInstaller::checkBounds(qint64 archiveSize, qint64 total, qint64 freeSpace, const QString &disk)
{
    const qint64 cap = archiveSize > MaxUnpacked / MaxRatio ? MaxUnpacked : qMax<qint64>(0, archiveSize) * MaxRatio;
    if (total > cap)
        return QStringLiteral("it would unpack to %1, more than its limit of %2 (%3 times the package, at most %4)")
            .arg(dataSize(total), dataSize(cap))
            .arg(MaxRatio)
            .arg(dataSize(MaxUnpacked));
    if (total > freeSpace - MinFreeSpace)
        return QStringLiteral("it would unpack to %1, but the disk of %2 has %3 free, of which %4 stay free")
            .arg(dataSize(total), disk, dataSize(qMax<qint64>(0, freeSpace)), dataSize(MinFreeSpace));
    return QString();
}

void PackageInstaller::setFreeSpaceProbe(FreeSpaceProbe probe)
{
    freeSpaceProbe = std::move(probe);
}

qint64 PackageInstaller::freeSpace(const QString &dir)
{
    return freeSpaceProbe ? freeSpaceProbe(dir) : QStorageInfo(dir).bytesAvailable();
}

// A disk that does not take what was written fails the install, as 7-Zip's
// own write errors do.
static QString notOnTheDisk()
{
    return QStringLiteral("its files could not be written to the disk");
}

QString PackageInstaller::moveIntoPlace(const QString &from, const QString &to, const QString &attic)
{
    const QFileInfo target(to);
    if (occupied(target) && !target.isDir())
        return QStringLiteral("%1 is not a folder").arg(to);
    const QString problem = mergeProblem(from, to, QString());
    if (!problem.isEmpty())
        return problem;
    if (!QDir().mkpath(attic))
        return QStringLiteral("%1 could not be made").arg(attic);
    Mover mover(attic);
    if (!(occupied(target) ? mover.merge(from, to) : mover.rename(from, to))) {
        mover.undo();
        return mover.error();
    }
    // The store's new names reach the disk before the install is reported
    // and its version recorded. A disk that does not take them (a network
    // or USB disk tells a lost write only at the sync) gets the store back
    // as it was, rather than a recorded version for files it may not hold.
    if (mover.syncNames())
        return QString();
    mover.undo();
    return notOnTheDisk();
}

// Absolute, the archive's path never starts with "-" or "@", which 7-Zip
// would read as a switch or a list file; neither it nor a program found
// beside a console started by a relative path depends on the folder 7-Zip
// runs in.
PackageInstaller::Unpack::Unpack(const QString &program, const QString &archive, const QString &targetDir,
                                 QObject *parent)
    : QObject(parent),
      m_program(program.contains(QLatin1Char('/')) ? QFileInfo(program).absoluteFilePath() : program),
      m_archive(QFileInfo(archive).absoluteFilePath()),
      m_target(targetDir)
{
}

PackageInstaller::Unpack::~Unpack()
{
    // A move half done would leave the store neither merged nor as it was.
    m_placing.wait();
    // 7-Zip is gone before its directory is removed.
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(10000);
        delete m_process;
    }
    removeSibling(m_sibling);
}

void PackageInstaller::Unpack::start()
{
    if (m_program.isEmpty()) {
        finish(Result::NotStarted);
        return;
    }
    if (m_target.isEmpty()) {
        finish(Result::Failed, QStringLiteral("no target folder is set"));
        return;
    }
    // A store that is a link (to a bigger disk, say) is unpacked beside the
    // folder it points to: a folder beside the link may be on another disk,
    // where every move into the store would fail.
    const QString real = QFileInfo(m_target).canonicalFilePath();
    const QFileInfo target(real.isEmpty() ? QDir::cleanPath(m_target) : real);
    m_target = target.absoluteFilePath();
    // A store mounted at its path (a disk of its own, or a folder mounted
    // there again) is unpacked inside it, in a hidden folder: from beside it
    // every move would cross mounts and fail.
    const QString parent = isMountPoint(m_target) ? m_target : target.absolutePath();
    const QString prefix = QLatin1Char('.') + target.fileName() + QStringLiteral(".unpack-");
    QDir().mkpath(parent);
    // What an install cut short by a crash or a power loss left behind. Not
    // a name filter: the store's name may hold "*", "?" or "[", which it
    // would read as patterns, and it would ignore letter case.
    for (const QFileInfo &stale : QDir(parent).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (stale.fileName().startsWith(prefix) && !stale.isSymLink())
            removeTree(stale.filePath());
    m_sibling = std::make_unique<QTemporaryDir>(parent + QLatin1Char('/') + prefix + QStringLiteral("XXXXXX"));
    if (!m_sibling->isValid()) {
        finish(Result::Failed, QStringLiteral("no folder could be made beside ") + m_target);
        return;
    }
    startListing();
}

QProcess *PackageInstaller::Unpack::newProcess(int limitMs)
{
    m_process = new QProcess(this);
    // 7-Zip asks for the password of an encrypted package on its input:
    // it gets none rather than waiting for one.
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    m_process->setChildProcessModifier([console = ::getpid()] { endWithConsole(console); });
#endif
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(Result::NotStarted);
    });
    m_limit = new QTimer(this);
    m_limit->setSingleShot(true);
    connect(m_limit, &QTimer::timeout, this, [this, limitMs] {
        finish(Result::Failed, QStringLiteral("7-Zip took longer than %1 s").arg(limitMs / 1000));
    });
    m_limit->start(limitMs);
    return m_process;
}

void PackageInstaller::Unpack::startListing()
{
    const qint64 archiveSize = QFileInfo(m_archive).size();
    QProcess *process = newProcess(int(qMin<qint64>(limits.listFloorMs + archiveSize * 1000 / limits.bytesPerSecond,
                                                    std::numeric_limits<int>::max())));
    connect(process, &QProcess::readyReadStandardOutput, this, [this] {
        m_listing += m_process->readAllStandardOutput();
        if (m_listing.size() > MaxListing)
            finish(Result::Refused, QStringLiteral("its list of contents is longer than %1").arg(dataSize(MaxListing)));
    });
    connect(process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        listingFinished(exitCode, status == QProcess::NormalExit);
    });
    process->start(m_program, listArguments(m_archive));
}

void PackageInstaller::Unpack::listingFinished(int exitCode, bool normalExit)
{
    if (m_done)
        return;
    m_listing += m_process->readAllStandardOutput();
    if (!normalExit || exitCode != 0) {
        finish(Result::Failed, QStringLiteral("7-Zip could not list it (exit code %1)").arg(exitCode));
        return;
    }
    const Listing listing = readListing(m_listing);
    m_listing.clear();
    if (!listing.refusal.isEmpty()) {
        finish(Result::Refused, listing.refusal);
        return;
    }
    // The disk 7-Zip writes to.
    const QString disk = QFileInfo(m_sibling->path()).absolutePath();
    const QString refusal = checkBounds(QFileInfo(m_archive).size(), listing.total, freeSpace(disk), disk);
    if (!refusal.isEmpty()) {
        finish(Result::Refused, refusal);
        return;
    }
    startExtraction(listing);
}

void PackageInstaller::Unpack::startExtraction(const Listing &listing)
{
    const qint64 total = listing.total;
    m_process->disconnect(this);
    m_process->deleteLater();
    m_limit->stop();
    m_limit->deleteLater();
    QDir().mkpath(m_sibling->filePath(QStringLiteral("new")));
    QProcess *process = newProcess(int(qMin<qint64>(limits.unpackFloorMs + total * 1000 / limits.bytesPerSecond,
                                                    std::numeric_limits<int>::max())));
    process->setStandardOutputFile(QProcess::nullDevice());
    connect(process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        extractionFinished(exitCode, status == QProcess::NormalExit);
    });
    // The listing's sizes are the package's own word; whatever it says, the
    // disk keeps half of its reserve.
    m_spaceWatch = new QTimer(this);
    connect(m_spaceWatch, &QTimer::timeout, this, [this] {
        if (freeSpace(m_sibling->path()) < MinFreeSpace / 2)
            finish(Result::Failed, QStringLiteral("the disk ran low on space"));
    });
    m_spaceWatch->start(200);
#ifdef Q_OS_UNIX
    // Some formats write more than they list (a gzip of several members
    // lists only its last): no file 7-Zip writes grows past the largest
    // listed entry. Past it a write fails, rather than the signal killing
    // 7-Zip with a core dump.
    const rlim_t largest = rlim_t(listing.largest);
    process->setChildProcessModifier([largest, console = ::getpid()] {
        endWithConsole(console);
        const rlimit limit{largest, largest};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
    });
#endif
    // 7-Zip reads a "*" in its output folder as the archive's name, and the
    // store's path is the administrator's choice: the folder is named
    // relative to the one 7-Zip runs in.
    process->setWorkingDirectory(m_sibling->path());
    process->start(m_program, arguments(m_archive, QStringLiteral("new")));
}

void PackageInstaller::Unpack::extractionFinished(int exitCode, bool normalExit)
{
    if (m_done)
        return;
    if (!normalExit || exitCode != 0) {
        finish(Result::Failed, QStringLiteral("7-Zip ended with exit code %1").arg(exitCode));
        return;
    }
    // Every package lists at least one entry: an archiver that wrote none
    // of them has not unpacked it, whatever its exit code says.
    if (entries(m_sibling->filePath(QStringLiteral("new"))).isEmpty()) {
        finish(Result::Failed, QStringLiteral("7-Zip wrote nothing"));
        return;
    }
    // 7-Zip is done: neither its time limit nor the disk watch may end the
    // install while its files are put in place.
    m_limit->stop();
    m_spaceWatch->stop();
    const QString from = m_sibling->filePath(QStringLiteral("new"));
    const QString attic = m_sibling->filePath(QStringLiteral("old"));
    const QString to = m_target;
    // The files reach the disk before their names enter the store, and the
    // store's new names before the install is reported (and its version
    // recorded): after a power cut the store holds the old files or the new
    // ones, never a name without its bytes, nor a version it does not hold.
    m_placing.start(
        this,
        [this, from, to, attic] {
            if (!DiskSync::tree(from)) {
                m_placedResult = Result::Failed;
                m_placedReason = notOnTheDisk();
                return;
            }
            // The package names its entries as it likes: a line separator
            // in one would add lines of its own to the refusal box.
            m_placedReason = Utils::oneLine(moveIntoPlace(from, to, attic));
            m_placedResult = m_placedReason.isEmpty()            ? Result::Unpacked
                             : m_placedReason == notOnTheDisk() ? Result::Failed
                                                                : Result::Refused;
        },
        [this] { finish(m_placedResult, m_placedReason); });
}

void PackageInstaller::Unpack::finish(Result result, const QString &reason)
{
    if (m_done)
        return;
    m_done = true;
    m_result = result;
    m_reason = reason;
    if (m_process) {
        m_process->disconnect(this);
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(10000);
        }
        // This may run inside one of the process's signals.
        m_process->deleteLater();
        m_process = nullptr;
    }
    // Either timer may be the one that called.
    for (QTimer *timer : {m_limit, m_spaceWatch}) {
        if (timer) {
            timer->stop();
            timer->deleteLater();
        }
    }
    m_limit = m_spaceWatch = nullptr;
    removeSibling(m_sibling);
    // Never from inside a process signal: whoever hears it may open a box.
    QMetaObject::invokeMethod(this, &Unpack::finished, Qt::QueuedConnection);
}
