#ifndef PACKAGEINSTALLER_H
#define PACKAGEINSTALLER_H

#include <QString>
#include <QStringList>

// Unpacks downloaded update archives with the 7-Zip command-line program
// into the local upgrade store, from which the upgrade commands take them.
namespace PackageInstaller {

// One family member: the kind it unpacks and the texts it shows.
struct Member {
    const char *kind;
    const char *directoryKey;   // settings key of the target directory
    const char *successTitle;
    const char *successSuffix;  // after the comment
    const char *failureTitle;
    const char *notUnzippedSuffix;
};

// The member for "hotfix", "firmware" or "zor_client" (any letter case); null for other kinds.
const Member *memberFor(const QString &kind);

// The archiver: "7zip/7z" beside the program first, then 7zz and 7z on
// PATH; empty when there is none.
QString findArchiver(const QString &programDir);

// "x ARCHIVE -oDIR -r -y -aoa": extract with paths, recursively, answering
// yes, overwriting. Debian's 7zz refuses the combined "-ry".
QStringList arguments(const QString &archive, const QString &targetDir);

enum class Result { Unpacked, NotStarted, Failed };
// Runs the archiver and waits for it (3 s to start, no limit to finish).
Result unpack(const QString &program, const QString &archive, const QString &targetDir);

} // namespace PackageInstaller

#endif // PACKAGEINSTALLER_H
