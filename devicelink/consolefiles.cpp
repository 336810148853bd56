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

} // namespace

bool ConsoleFiles::isOwnFile(const QString &name)
{
    for (const auto &own : OwnFiles)
        if (name.compare(QLatin1String(own.name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
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
    for (const auto &own : OwnFiles)
        if (name.compare(QLatin1String(own.name), Qt::CaseInsensitive) == 0)
            return QLatin1String(own.what);
    if (!deviceFileMac(name).isEmpty())
        return QStringLiteral("a device's file");
    return QString();
}
