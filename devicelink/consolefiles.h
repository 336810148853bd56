#ifndef CONSOLEFILES_H
#define CONSOLEFILES_H

#include <QString>

// The files the console keeps for itself in its temporary directory: the
// department file, the storage white list, the signage sync lists, the
// remote-protocol help text, the update list, and the devices' own files
// (named after their MAC address, "001122334455_…"). Nothing from outside,
// neither a device's upload nor a line of the update list, may write one.
namespace ConsoleFiles {

// One of the console's fixed names, in any letter case.
bool isOwnFile(const QString &name);

// An update download grows under its name + this suffix, and a later run
// resumes from what it finds there.
constexpr char PartialSuffix[] = ".part";
// A download's partial file, in any letter case.
bool isPartialDownload(const QString &name);

// A device's upload grows under this prefix and six random letters or
// digits, and takes its own name once whole. One that a crash left behind
// is removed at the next start; no device may upload a name with the
// prefix, so nothing a device stored is ever taken for one.
constexpr char UploadPrefix[] = ".upload-";
// A name with the prefix, in any letter case.
bool isUploadInProgress(const QString &name);
// Exactly what an upload under way is named.
bool isUnfinishedUpload(const QString &name);

// The MAC address (12 hexadecimal digits, ":" and "-" dropped) that names a
// device's file, or an empty text when the name is not a device's.
QString deviceFileMac(const QString &name);

// Why the console keeps the name for itself ("the department file", ...),
// or an empty text when it does not.
QString reservedReason(const QString &name);

} // namespace ConsoleFiles

#endif // CONSOLEFILES_H
