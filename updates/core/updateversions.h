#ifndef UPDATEVERSIONS_H
#define UPDATEVERSIONS_H

#include <QStringList>

class QSettings;

// The settings that remember which update files are installed ("unknown":
// none), and the version test of downloaded console installers.
namespace UpdateVersions {

// The model key suffixes, in the order the keys are written (the device
// model table holds the same suffixes, by model id).
extern const char *const ModelSuffixes[13];

// The 44 remembered-version keys: zorClientVersion, then
// zorClientVersion<Model>, firmwareVersion<Model> and hotfixVersion<Model>
// for every model, then zorServerVersionExe, ...Deb, ...Rpm, ...Dmg.
QStringList allKeys();
// Sets every remembered-version key to "unknown", so that the next check
// offers every listed file again: the 44 keys above, in their order, then
// any other of their families that the settings hold. An update list's
// board is its own text ("all", "Pyrel_Instance", "orl_k1"), and the key an
// install wrote for such a board would keep its file from being offered.
void clear(QSettings &settings);
// Sets the remembered versions of the packages unpacked into the firmware,
// client and hotfix stores to "unknown" (the keys the settings hold of
// those three families): the stores moved, and the new ones hold none of
// them. A waiting or installed console installer stays remembered.
void forgetUnpacked(QSettings &settings);

// Whether the installer's file name ("NAME-VERSION-PLATFORM.ext") carries
// a version newer than own. Only the file name counts: dashes in its
// directories change nothing. Versions compare component by component as
// numbers, a missing component counting as 0. A name without a version
// counts as newer.
bool isNewer(const QString &installerPath, const QString &own);
// The VERSION of such a name: the middle of three dash-separated parts; of
// more parts (a platform "linux-x64", a name "korvane-manager"), the first
// after the name that is made of digits and dots. Empty when there is none.
QString installerVersion(const QString &installerPath);

} // namespace UpdateVersions

#endif // UPDATEVERSIONS_H
