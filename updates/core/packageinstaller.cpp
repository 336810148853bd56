#include "packageinstaller.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

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
    const QFileInfo beside(programDir + QStringLiteral("7zip/7z"));
    if (beside.isFile() && beside.isExecutable())
        return beside.filePath();
    for (const char *name : {"7zz", "7z"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

QStringList PackageInstaller::arguments(const QString &archive, const QString &targetDir)
{
    return {QStringLiteral("x"), archive, QStringLiteral("-o") + targetDir, QStringLiteral("-r"), QStringLiteral("-y"),
            QStringLiteral("-aoa")};
}

PackageInstaller::Result PackageInstaller::unpack(const QString &program, const QString &archive,
                                                  const QString &targetDir)
{
    QProcess process;
    // 7-Zip's listing is not shown; it must not fill a pipe nobody reads.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments(archive, targetDir));
    if (!process.waitForStarted(3000))
        return Result::NotStarted;
    process.waitForFinished(-1);
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return ok ? Result::Unpacked : Result::Failed;
}
