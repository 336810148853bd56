// The update server's list over any bytes, decoded as the update check does:
// never a crash, and every file it keeps has a kind the console knows, a
// plain file name inside that kind's directory, and no installed version.
#include "updates/core/downloadlist.h"

#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
QTemporaryDir *dir = nullptr;
QSettings *settings = nullptr;

bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    dir = new QTemporaryDir;
    settings = new QSettings(dir->filePath(QStringLiteral("korvane.ini")), QSettings::IniFormat);
    for (const char *key : {"tempDir", "hotfixDir", "firmwareImageDir", "appImageDir"})
        settings->setValue(QLatin1String(key), dir->path() + QLatin1Char('/') + QLatin1String(key));
    // Installed already: lines naming these are left out.
    settings->setValue(QStringLiteral("firmwareVersionORL_K1"), QStringLiteral("fw-1.7z"));
    settings->setValue(QStringLiteral("zorServerVersionExe"), QStringLiteral("server.exe"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const DownloadList::Parsed parsed = DownloadList::parse(QString::fromUtf8(input), *settings);
    // Each record is a line of its own that starts with its type.
    if (parsed.servers.size() % 2 != 0 || parsed.files.size() + parsed.servers.size() / 2 > input.count("type="))
        abort();
    for (const UpgradeFile &file : parsed.files) {
        const DownloadList::Kind *kind = DownloadList::findKind(file.kind);
        if (!kind || !isPlainName(file.fileName))
            abort();
        if (file.localPath != settings->value(QLatin1String(kind->directoryKey)).toString() + QLatin1Char('/') + file.fileName)
            abort();
        const QString key = DownloadList::versionKey(file);
        if (!key.isEmpty() && settings->value(key).toString() == file.fileName)
            abort();
    }
    return 0;
}
