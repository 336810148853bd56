#ifndef FAILINGREADS_H
#define FAILINGREADS_H

#include <QString>

// While one lives, the file at path reads as on a disk with a bad spot a few
// bytes in: the bytes before it read, every read that reaches it fails
// (EIO), also after a seek back. Other files read as usual. Made in a
// test's program, this replaces the system's read() for all of it.
class FailingReads
{
public:
    explicit FailingReads(const QString &path);
    ~FailingReads();
    FailingReads(const FailingReads &) = delete;
    FailingReads &operator=(const FailingReads &) = delete;
};

#endif // FAILINGREADS_H
