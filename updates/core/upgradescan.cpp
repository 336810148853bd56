#include "upgradescan.h"
#include "devicemodels.h"

#include "devicelink/thinclientinfo.h"
#include "devicelink/utils.h"

#include <QDir>
#include <QFileInfo>

namespace UpgradeScan {

// Firmware models in matching order, with the image ids each accepts.
// Ids 4, 7 and 8 have no firmware and make a directory invalid.
static const struct { const char *model; int ids[2]; } FirmwareFlags[] = {
    {"ORL K1", {1, 5}},      {"ORL K2", {6, 0}},   {"Pyrel PC", {2, 0}}, {"Pyrel Server", {3, 0}},
    {"ORL QB32", {9, 0}},    {"ORL QB64", {10, 0}}, {"ORL WY", {11, 0}},  {"ORL WY2", {12, 0}},
    {"ORL WY3", {13, 0}},    {"HV WY", {14, 0}},   {"HV QB", {15, 0}},
};

// Client-application groups in matching order: one "Pyrel" package serves
// every Pyrel model.
static const struct { const char *group; int ids[2]; } ClientGroups[] = {
    {"ORL K1", {1, 5}},   {"ORL K2", {6, 0}},  {"Pyrel", {2, 3}},  {"ORL QB32", {9, 0}}, {"ORL QB64", {10, 0}},
    {"ORL WY", {11, 0}},  {"ORL WY2", {12, 0}}, {"ORL WY3", {13, 0}}, {"HV WY", {14, 0}},  {"HV QB", {15, 0}},
};

template <typename Row, size_t N>
static int rowOf(const Row (&table)[N], int id)
{
    for (size_t i = 0; i < N; ++i)
        if (table[i].ids[0] == id || table[i].ids[1] == id)
            return int(i);
    return -1;
}

static QStringList plainFiles(const QString &directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

FirmwareImages scanFirmware(const QString &directory)
{
    FirmwareImages images;
    QString kernelModel, rootFsModel;
    for (const QString &name : plainFiles(directory)) {
        const bool kernel = name.startsWith(QLatin1String("uimage.bin"), Qt::CaseInsensitive);
        const bool rootFs = !kernel && name.startsWith(QLatin1String("rfs_jffs2"), Qt::CaseInsensitive);
        if (!kernel && !rootFs)
            continue;
        const QString path = directory + QLatin1Char('/') + name;
        int id = 0;
        if (!DeviceModels::readImageModelId(path, &id))
            continue;
        const int row = rowOf(FirmwareFlags, id);
        if (row < 0) {
            images.outcome = Outcome::InvalidModel;
            return images;
        }
        (kernel ? images.kernelPath : images.rootFsPath) = path;
        (kernel ? kernelModel : rootFsModel) = QLatin1String(FirmwareFlags[row].model);
        images.model = QLatin1String(FirmwareFlags[row].model);
    }
    // The command names one kernel and one root file system, and a device
    // flashes both: they must be its own model's. A directory whose last
    // kernel and last root file system are for two models fits no device.
    if (!kernelModel.isEmpty() && !rootFsModel.isEmpty() && kernelModel != rootFsModel) {
        images.outcome = Outcome::InvalidModel;
        return images;
    }
    if (!images.model.isEmpty())
        images.models.append(images.model);
    images.outcome = images.models.isEmpty() ? Outcome::NoFiles : Outcome::Ok;
    return images;
}

const QStringList &firmwareModels()
{
    static const QStringList models = [] {
        QStringList list;
        for (const auto &row : FirmwareFlags)
            list.append(QLatin1String(row.model));
        return list;
    }();
    return models;
}

QString firmwareModelFor(const QString &deviceModel, const FirmwareImages &images)
{
    const QString model = DeviceModels::longestContainedName(deviceModel, firmwareModels());
    return images.models.contains(model) ? model : QString();
}

ClientPackages scanClient(const QString &directory)
{
    ClientPackages result;
    QList<QString> paths(int(std::size(ClientGroups)));
    for (const QString &name : plainFiles(directory)) {
        const QString path = directory + QLatin1Char('/') + name;
        int id = 0;
        if (!DeviceModels::readImageModelId(path, &id))
            continue;
        const int row = rowOf(ClientGroups, id);
        if (row < 0) {
            result.outcome = Outcome::InvalidModel;
            return result;
        }
        paths[row] = path;
    }
    for (int row = 0; row < paths.size(); ++row)
        if (!paths[row].isEmpty())
            result.packages.append({QLatin1String(ClientGroups[row].group), paths[row]});
    result.outcome = result.packages.isEmpty() ? Outcome::NoFiles : Outcome::Ok;
    return result;
}

const ClientPackage *clientPackageFor(const QString &deviceModel, const ClientPackages &packages)
{
    QStringList groups;
    for (const auto &row : ClientGroups)
        groups.append(QLatin1String(row.group));
    const QString group = DeviceModels::longestContainedName(deviceModel, groups);
    for (const ClientPackage &package : packages.packages)
        if (package.group == group)
            return &package;
    return nullptr;
}

QString selectedModels(const QList<ThinclientInfo *> &devices, QString *chosen)
{
    chosen->clear();
    // Whole names: "ORL WY" is a model of its own beside "ORL WY2".
    QStringList listed;
    for (const ThinclientInfo *device : devices) {
        if (!device->checked || !device->online)
            continue;
        if (listed.isEmpty()) {
            *chosen = device->model;
            listed << device->model;
        } else if (device->model.compare(*chosen, Qt::CaseInsensitive) != 0 && !listed.contains(device->model)) {
            listed << device->model;
        }
    }
    return listed.join(QLatin1String(", "));
}

QString inStore(const QString &directory, const QString &storeDir)
{
    if (storeDir.isEmpty())
        return directory;
    // One named through a link and the other by where it leads is the same
    // store. A device is let in only on a path named under the store, as set
    // or where it leads: a version named through a link from outside goes
    // out by where that link leads.
    const QString realDirectory = QFileInfo(directory).canonicalFilePath();
    const QString realStore = QFileInfo(storeDir).canonicalFilePath();
    const bool resolved = !realDirectory.isEmpty() && !realStore.isEmpty();
    // A link in the store that leads out of it: every device would be
    // refused the files, the device checking where links lead.
    if (Utils::pathContains(directory, storeDir))
        return !resolved || Utils::pathContains(realDirectory, realStore) ? directory : QString();
    if (!resolved || !Utils::pathContains(realDirectory, realStore))
        return QString();
    return Utils::pathContains(directory, realStore) ? directory : realDirectory;
}

} // namespace UpgradeScan
