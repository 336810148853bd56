#include "updateversions.h"

#include "devicelink/utils.h"

#include <QFileInfo>
#include <QSettings>
#include <QRegularExpression>

#include <algorithm>

const char *const UpdateVersions::ModelSuffixes[13] = {"ORL_K1",  "ORL_K2",  "ORL_K3", "ORL_K4", "ORL_QB32",
                                                       "ORL_QB64", "ORL_WY",  "ORL_WY2", "ORL_WY3", "HV_WY",
                                                       "HV_QB",    "Pyrel_PC", "Pyrel_Server"};

namespace {

// The version families of the packages unpacked into the stores.
const char *const StoreFamilies[] = {"zorClientVersion", "firmwareVersion", "hotfixVersion"};
const char *const InstallerFamily = "zorServerVersion";

bool inStoreFamily(const QString &key)
{
    return std::any_of(std::begin(StoreFamilies), std::end(StoreFamilies),
                       [&key](const char *family) { return key.startsWith(QLatin1String(family)); });
}

} // namespace

QStringList UpdateVersions::allKeys()
{
    QStringList keys{QStringLiteral("zorClientVersion")};
    for (const char *family : StoreFamilies)
        for (const char *model : ModelSuffixes)
            keys << QLatin1String(family) + QLatin1String(model);
    for (const char *package : {"Exe", "Deb", "Rpm", "Dmg"})
        keys << QLatin1String(InstallerFamily) + QLatin1String(package);
    return keys;
}

void UpdateVersions::clear(QSettings &settings)
{
    QStringList keys = allKeys();
    for (const QString &key : settings.allKeys())
        if ((inStoreFamily(key) || key.startsWith(QLatin1String(InstallerFamily))) && !keys.contains(key))
            keys << key;
    for (const QString &key : std::as_const(keys))
        settings.setValue(key, QStringLiteral("unknown"));
}

void UpdateVersions::forgetUnpacked(QSettings &settings)
{
    const QString unknown = QStringLiteral("unknown");
    for (const QString &key : settings.allKeys())
        if (inStoreFamily(key) && settings.value(key).toString() != unknown)
            settings.setValue(key, unknown);
}

QString UpdateVersions::installerVersion(const QString &installerPath)
{
    const QStringList parts = QFileInfo(installerPath).fileName().split(QLatin1Char('-'));
    if (parts.size() == 3)
        return parts[1];
    // Taking any other name for a newer one started an older installer at
    // exit, which then cleared the settings, for a name such as
    // "setup-7.8.7-linux-x64.run".
    static const QRegularExpression version(QStringLiteral("^[0-9]+(\\.[0-9]+)*$"));
    for (qsizetype i = 1; i < parts.size(); ++i)
        if (version.match(parts[i]).hasMatch())
            return parts[i];
    return QString();
}

bool UpdateVersions::isNewer(const QString &installerPath, const QString &own)
{
    const QString version = installerVersion(installerPath);
    if (version.isEmpty() && QFileInfo(installerPath).fileName().count(QLatin1Char('-')) != 2)
        return true;
    return Utils::compareVersions(version.split(QLatin1Char('.')), own.split(QLatin1Char('.'))) > 0;
}
