#ifndef FAILINGRENAMES_H
#define FAILINGRENAMES_H

#include <QString>

// While one lives, every rename of a name in folder (given whole) fails with
// EIO, as on a network or USB disk that lost the write. Other names rename
// as usual. Made in a test's program, this replaces the system's renames for
// all of it; a test with renames of its own makes none.
class FailingRenames
{
public:
    explicit FailingRenames(const QString &folder);
    ~FailingRenames();
    FailingRenames(const FailingRenames &) = delete;
    FailingRenames &operator=(const FailingRenames &) = delete;
};

#endif // FAILINGRENAMES_H
