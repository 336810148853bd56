#ifndef NOWRITEROOM_H
#define NOWRITEROOM_H

#include <sys/resource.h>

// While one lives, no regular file of the process can grow past `room` bytes:
// writes beyond fail as on a full disk (the size-limit signal is ignored, so
// they return an error rather than end the process). Renames and removals
// still work.
class NoWriteRoom
{
public:
    explicit NoWriteRoom(rlim_t room = 0);
    ~NoWriteRoom();
    NoWriteRoom(const NoWriteRoom &) = delete;
    NoWriteRoom &operator=(const NoWriteRoom &) = delete;

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

#endif // NOWRITEROOM_H
