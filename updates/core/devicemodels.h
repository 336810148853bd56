#ifndef DEVICEMODELS_H
#define DEVICEMODELS_H

#include <QString>

// The device models that upgrade files are built for, and the header at
// the start of every firmware image, client package and hotfix file that
// names the model.
namespace DeviceModels {

struct Model {
    int id;
    const char *lowerName;      // compared with a device's model, lower-cased
    const char *displayName;    // firmware upgrades; null: its images are refused
    const char *settingsSuffix; // board of the remembered version keys; null: none
};

// Ids 1..15; 1 and 5 are two ids of one model.
constexpr int FirstModelId = 1;
constexpr int LastModelId = 15;
// The row of an id, or null outside 1..15.
const Model *model(int id);

// The header is 51 bytes; its first ten are stored complemented.
constexpr int ImageHeaderSize = 51;

// Reads the header of an upgrade file. True, with *modelId set, when the
// magic bytes and the model id are right. A file that cannot be read, is
// shorter than the header or has a wrong magic leaves *modelId untouched;
// a right magic with an id outside 1..15 sets it to -1.
bool readImageModelId(const QString &path, int *modelId);
// The same over bytes already read.
bool parseImageHeader(const QByteArray &header, int *modelId);
// A header naming the id (tests and the device simulator build files with it).
QByteArray imageHeader(int modelId);

// True when name, lower-cased, is exactly the id's lower-case model name.
bool isModel(const QString &name, int id);

// Hotfix files carry the firmware version they apply to between two "%" in
// their name. Only the file name is looked at: a "%" in a directory must
// not decide.
bool matchesPercentTag(const QString &firmwareVersion, const QString &path);

// True when a device's model can name a directory of its own in a store of
// upgrade files (one directory per model): not empty, not "." or "..", and
// holding no path separator. The model is the device's word; anything else
// would lead the console out of the store, or to the store itself.
bool isDirectoryName(const QString &model);

// The longest of the given names that the device's model text contains,
// letter case ignored, or an empty text. "ORL WY" is part of "ORL WY2":
// taking the longest keeps a device on its own model's files.
QString longestContainedName(const QString &deviceModel, const QStringList &names);

} // namespace DeviceModels

#endif // DEVICEMODELS_H
