#include "updateversions.h"

#include "devicelink/utils.h"

#include <QFileInfo>

const char *const UpdateVersions::ModelSuffixes[13] = {"ORL_K1",  "ORL_K2",  "ORL_K3", "ORL_K4", "ORL_QB32",
                                                       "ORL_QB64", "ORL_WY",  "ORL_WY2", "ORL_WY3", "HV_WY",
                                                       "HV_QB",    "Pyrel_PC", "Pyrel_Server"};

QStringList UpdateVersions::allKeys()
{
    QStringList keys{QStringLiteral("zorClientVersion")};
    for (const char *family : {"zorClientVersion", "firmwareVersion", "hotfixVersion"})
        for (const char *model : ModelSuffixes)
            keys << QLatin1String(family) + QLatin1String(model);
    for (const char *package : {"Exe", "Deb", "Rpm", "Dmg"})
        keys << QStringLiteral("zorServerVersion") + QLatin1String(package);
    return keys;
}

QString UpdateVersions::installerVersion(const QString &installerPath)
{
    const QStringList parts = QFileInfo(installerPath).fileName().split(QLatin1Char('-'));
    return parts.size() == 3 ? parts[1] : QString();
}

bool UpdateVersions::isNewer(const QString &installerPath, const QString &own)
{
    const QStringList parts = QFileInfo(installerPath).fileName().split(QLatin1Char('-'));
    if (parts.size() != 3)
        return true;
    return Utils::compareVersions(parts[1].split(QLatin1Char('.')), own.split(QLatin1Char('.'))) > 0;
}
