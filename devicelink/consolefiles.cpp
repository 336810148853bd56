#include "consolefiles.h"

#include <QRegularExpression>

namespace {

const struct {
    const char *name;
    const char *what;
} OwnFiles[] = {
    {"KorvaneManager.ini", "the department file"},
    {"whitelist.txt", "the storage white list"},
    {"dsi_file_list_op1.txt", "a signage sync list"},
    {"dsi_file_list_op2.txt", "a signage sync list"},
    {"dsi_file_list_op3.txt", "a signage sync list"},
    {"rem_proto_help.txt", "the remote-protocol help text"},
    {"downloadlist.txt", "the update list"},
};

// What the console keeps under that name, or null.
const char *ownFileWhat(const QString &name)
{
    for (const auto &own : OwnFiles)
        if (name.compare(QLatin1String(own.name), Qt::CaseInsensitive) == 0)
            return own.what;
    return nullptr;
}

} // namespace

bool ConsoleFiles::isOwnFile(const QString &name)
{
    return ownFileWhat(name) != nullptr;
}

bool ConsoleFiles::isPartialDownload(const QString &name)
{
    return name.endsWith(QLatin1String(PartialSuffix), Qt::CaseInsensitive);
}

bool ConsoleFiles::isUploadInProgress(const QString &name)
{
    return name.startsWith(QLatin1String(UploadPrefix), Qt::CaseInsensitive);
}

bool ConsoleFiles::isUnfinishedUpload(const QString &name)
{
    const QLatin1String prefix(UploadPrefix);
    if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')))
            return false;
    }
    return true;
}

QString ConsoleFiles::deviceFileMac(const QString &name)
{
    const qsizetype cut = name.indexOf(QLatin1Char('_'));
    if (cut < 0)
        return QString();
    QString prefix = name.left(cut);
    prefix.remove(QLatin1Char(':')).remove(QLatin1Char('-'));
    static const QRegularExpression mac(QStringLiteral("^[0-9A-Fa-f]{12}$"));
    return mac.match(prefix).hasMatch() ? prefix : QString();
}

QString ConsoleFiles::reservedReason(const QString &name)
{
    if (const char *what = ownFileWhat(name))
        return QLatin1String(what);
    if (!deviceFileMac(name).isEmpty())
        return QStringLiteral("a device's file");
    return QString();
}
