#ifndef WITHOUTOVERRIDE_H
#define WITHOUTOVERRIDE_H

#include <functional>

// Runs work on a thread of its own without the right to read, write or
// search past a folder's permissions, as an administrator's account has
// none; the test itself may run as root. False when the right could not be
// given up.
bool withoutFolderOverride(const std::function<void()> &work);

// While one lives, the thread that made it opens and makes files by the
// folders' and files' permissions alone, for work that must stay on that
// thread (the window's). It gives up the right for open and the like only:
// a check through access() still passes for root.
class NoFolderOverrideHere
{
public:
    NoFolderOverrideHere();
    ~NoFolderOverrideHere();
    NoFolderOverrideHere(const NoFolderOverrideHere &) = delete;
    NoFolderOverrideHere &operator=(const NoFolderOverrideHere &) = delete;
    bool dropped() const { return m_dropped; }

private:
    unsigned m_effective = 0;
    bool m_dropped = false;
};

#endif // WITHOUTOVERRIDE_H
