#include "downloadlist.h"

#include "devicelink/consolefiles.h"
#include "devicelink/utils.h"

#include <QSettings>

namespace {

const DownloadList::Kind Kinds[] = {
    {"download", "tempDir", nullptr, false},
    {"hotfix", "hotfixDir", "hotfixVersion", true},
    {"firmware", "firmwareImageDir", "firmwareVersion", true},
    {"zor_client", "appImageDir", "zorClientVersion", true},
    {"zor_server_exe", "tempDir", "zorServerVersionExe", false},
};

// The keys of an update line, in their order.
const char *const UpdateKeys[] = {"type=", "board=", "file=", "md5sum=", "size=", "release_date=", "comment="};

// A NUL ends the name where the system opens it: "KorvaneManager.ini\0.7z"
// would write the department file, past the check of reserved names.
bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

bool holds(const QSettings &settings, const QString &key, const QString &value)
{
    return settings.contains(key) && settings.value(key).toString() == value;
}

// Why a download could not take this name: it would replace one of the
// console's own files, another download's partial file (which the
// manager would then resume from, or remove), or a device's upload.
QString refusedName(const QString &name)
{
    const QString reserved = ConsoleFiles::reservedReason(name);
    if (!reserved.isEmpty())
        return reserved;
    if (ConsoleFiles::isPartialDownload(name))
        return QStringLiteral("another download's partial file");
    // Taken by a device's upload while it arrives, and removed at the next
    // start as what a crash left of one.
    if (ConsoleFiles::isUploadInProgress(name))
        return QStringLiteral("a device's upload under way");
    return QString();
}

QString unquoted(QString text)
{
    return text.remove(QLatin1Char('"'));
}

} // namespace

const DownloadList::Kind *DownloadList::findKind(const QString &kind)
{
    for (const Kind &k : Kinds)
        if (kind.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

QString DownloadList::versionKey(const UpgradeFile &file)
{
    const Kind *kind = findKind(file.kind);
    if (!kind || !kind->versionKey)
        return QString();
    return QLatin1String(kind->versionKey) + (kind->withBoard ? file.board : QString());
}

DownloadList::Parsed DownloadList::parse(const QString &text, const QSettings &settings)
{
    Parsed parsed;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype number = 1; number <= lines.size(); ++number) {
        const QString line = lines.at(number - 1).trimmed();
        if (!line.startsWith(QLatin1String("type=")))
            continue;
        QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() != 3 && fields.size() != 7)
            continue;
        for (QString &field : fields)
            field = field.trimmed();

        if (fields[0].contains(QLatin1String("type=server"))) {
            if (fields[1].startsWith(QLatin1String("name=")) && fields[2].startsWith(QLatin1String("value=")))
                parsed.servers << unquoted(fields[1].mid(5)) << unquoted(fields[2].mid(6));
            continue;
        }
        if (fields.size() != 7)
            continue;
        QStringList values;
        for (int i = 0; i < 7; ++i) {
            const QLatin1String key(UpdateKeys[i]);
            if (!fields[i].startsWith(key))
                break;
            values << fields[i].mid(key.size()).trimmed();
        }
        if (values.size() != 7)
            continue;

        UpgradeFile file;
        file.kind = values[0];
        file.board = values[1];
        file.fileName = values[2];
        file.md5sum = values[3];
        bool ok = false;
        file.size = values[4].toLongLong(&ok, 10);
        file.releaseDate = values[5];
        file.comment = Utils::oneLine(values[6].left(MaxComment));
        const Kind *kind = findKind(file.kind);
        if (!ok || !kind || !isPlainFileName(file.fileName))
            continue;
        if (const QString reason = refusedName(file.fileName); !reason.isEmpty()) {
            parsed.skipped << QStringLiteral("Update list line %1 skipped: \"%2\" is %3")
                                  .arg(number)
                                  .arg(file.fileName, reason);
            continue;
        }
        file.localPath = settings.value(QLatin1String(kind->directoryKey)).toString() + QLatin1Char('/') + file.fileName;
        const QString key = versionKey(file);
        if (!key.isEmpty() && holds(settings, key, file.fileName))
            continue;
        if (parsed.files.size() == MaxFiles) {
            parsed.cut = true;
            break;
        }
        parsed.files.append(file);
    }
    return parsed;
}

QList<UpgradeFile> DownloadList::filterForWizard(const QList<UpgradeFile> &files, const QStringList &models)
{
    // Kinds in any letter case, as the list is read and installed: an
    // upper-case "FIRMWARE" had been left out of the wizard's downloads.
    QList<UpgradeFile> kept;
    bool clientKept = false;
    for (const UpgradeFile &file : files) {
        if (file.kind.contains(QLatin1String("zor_client"), Qt::CaseInsensitive)) {
            if (!clientKept)
                kept.append(file);
            clientKept = true;
        } else if (file.kind.contains(QLatin1String("zor_server"), Qt::CaseInsensitive)) {
            kept.append(file);
        } else if (file.kind.contains(QLatin1String("hotfix"), Qt::CaseInsensitive)
                   || file.kind.contains(QLatin1String("firmware"), Qt::CaseInsensitive)) {
            if (models.contains(file.board))
                kept.append(file);
        }
    }
    return kept;
}
