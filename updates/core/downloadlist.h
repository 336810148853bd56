#ifndef DOWNLOADLIST_H
#define DOWNLOADLIST_H

#include "upgradefile.h"

#include <QList>
#include <QStringList>

class QSettings;

// The update server's list "downloadlist.txt": one record per line,
//   type=server,name=NAME,value=BASE_URL
//   type=KIND,board=B,file=F,md5sum=M,size=N,release_date=D,comment=C
// Lines that break the format are skipped without a word.
namespace DownloadList {

// Where a kind's files go and which setting remembers its installed file.
struct Kind {
    const char *name;         // compared ignoring letter case
    const char *directoryKey; // settings key of the local directory
    const char *versionKey;   // prefix of the version key; null: never remembered
    bool withBoard;           // the board is appended to the version key
};

// The kind's row, or null for a kind the console does not know.
const Kind *findKind(const QString &kind);
// "firmwareVersionORL_K1", "zorServerVersionExe", ...; empty for "download".
QString versionKey(const UpgradeFile &file);

// The list comes from a server the console does not control: the bytes read
// and the files offered are bounded.
constexpr qint64 MaxBytes = 1 << 20;
constexpr int MaxFiles = 2000;
// A comment names its file in every box and progress text of the run, on
// one line: a real one is a few words, and a megabyte of it held the window
// for seconds in each box.
constexpr int MaxComment = 1024;
// The list's other texts that the selection dialogs show (a board, a
// release date, a server's name) are shown to this many characters: a
// megabyte of one was laid out again at every paint of the dialog.
constexpr int MaxShownText = 1024;

struct Parsed {
    // Name/value pairs in list order: name 0, value 0, name 1, ...
    QStringList servers;
    // Files not yet installed, in list order, with their local paths.
    QList<UpgradeFile> files;
    // Update lines refused for their file name, one reason each, for the log.
    QStringList skipped;
    // More than MaxFiles files were offered: only the first are kept.
    bool cut = false;
};

// Reads the list. Directories and installed versions come from settings: a
// file whose version key already holds its name is left out. A file name
// that is not a plain name ("../x", "a/b") skips its line, since it becomes
// a local path; so does a name the console keeps for itself or another
// download's partial file, with its reason in skipped.
Parsed parse(const QString &text, const QSettings &settings);

// What the wizard keeps: the first client package, server packages, and
// hotfixes and firmware for the boards of its devices (case-sensitive).
QList<UpgradeFile> filterForWizard(const QList<UpgradeFile> &files, const QStringList &models);

} // namespace DownloadList

#endif // DOWNLOADLIST_H
