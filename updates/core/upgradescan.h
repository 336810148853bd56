#ifndef UPGRADESCAN_H
#define UPGRADESCAN_H

#include <QList>
#include <QString>
#include <QStringList>

class ThinclientInfo;

// What a firmware or client-application directory of the upgrade store
// offers, read from the headers of its files, and which device takes what.
namespace UpgradeScan {

enum class Outcome {
    Ok,
    InvalidModel,   // an image of a model that cannot be upgraded this way
    NoFiles,        // no file with a usable header
};

struct FirmwareImages {
    Outcome outcome = Outcome::NoFiles;
    QString model;        // display name of the last accepted image's model
    QString kernelPath;   // the last "uimage.bin*" image, if any
    QString rootFsPath;   // the last "rfs_jffs2*" image, if any
    QStringList models;   // the model the command's images are for (one)
};
// Kernel and root-file-system images of a version directory (file names
// compared ignoring letter case); files with a bad header are skipped. A
// kernel and a root file system for two models make the directory invalid.
FirmwareImages scanFirmware(const QString &directory);

// The firmware models in the order devices are matched.
const QStringList &firmwareModels();
// The model of the images a device takes: the longest firmware model name
// its model text contains, if the directory has images of it. Devices are
// matched by "contains", so an "ORL WY2" device must not take "ORL WY" images.
QString firmwareModelFor(const QString &deviceModel, const FirmwareImages &images);

struct ClientPackage {
    QString group;   // the text a device's model must contain
    QString path;    // the last package of the group
};
struct ClientPackages {
    Outcome outcome = Outcome::NoFiles;
    QList<ClientPackage> packages;   // in group order
};
ClientPackages scanClient(const QString &directory);
// The package a device takes (by its longest contained group), or null.
const ClientPackage *clientPackageFor(const QString &deviceModel, const ClientPackages &packages);

// The models of the ticked online devices, as the upgrade actions name
// them: the first model, then each other model once, joined by ", ".
// *chosen gets the first model (empty when no device is ticked and online).
QString selectedModels(const QList<ThinclientInfo *> &devices, QString *chosen);

// The directory as devices are to fetch from it, when the upgrade store's
// directory setting allows it (an empty setting allows every directory);
// empty when it does not.
QString inStore(const QString &directory, const QString &storeDir);

} // namespace UpgradeScan

#endif // UPGRADESCAN_H
