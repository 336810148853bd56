#ifndef WITHOUTOVERRIDE_H
#define WITHOUTOVERRIDE_H

#include <functional>

// Runs work on a thread of its own without the right to read, write or
// search past a folder's permissions, as an administrator's account has
// none; the test itself may run as root. False when the right could not be
// given up.
bool withoutFolderOverride(const std::function<void()> &work);

#endif // WITHOUTOVERRIDE_H
