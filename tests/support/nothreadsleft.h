#ifndef NOTHREADSLEFT_H
#define NOTHREADSLEFT_H

#include <linux/capability.h>
#include <sys/resource.h>

// While one lives, the calling thread can start no thread or process, as
// for an account at its process limit: it counts for an unprivileged user
// whose limit is used up. Only this thread's identity changes, and its
// files stay as open to it as before. False from active() where the system
// would not let the test give up its rights for a while.
class NoThreadsLeft
{
public:
    NoThreadsLeft();
    ~NoThreadsLeft();
    NoThreadsLeft(const NoThreadsLeft &) = delete;
    NoThreadsLeft &operator=(const NoThreadsLeft &) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_old{};
    __user_cap_data_struct m_caps[_LINUX_CAPABILITY_U32S_3] = {};
    bool m_capsDropped = false;
    bool m_userChanged = false;
    bool m_active = false;
};

#endif // NOTHREADSLEFT_H
