#ifndef TESTFILES_H
#define TESTFILES_H

#include <QByteArray>
#include <QString>

// Whole files for tests that lay out trees and compare what arrived.
namespace TestFiles {
// Writes data to path, making its directory; false when that failed.
bool write(const QString &path, const QByteArray &data);
// The file's bytes; empty when it cannot be read.
QByteArray read(const QString &path);
// How many of the file's cached pages have not reached the disk yet (dirty
// or being written); -1 when the system cannot tell (no cachestat, or a
// file system in memory, where nothing ever does).
qint64 pagesNotOnDisk(const QString &path);
}

#endif // TESTFILES_H
