#include "withoutoverride.h"

#include <thread>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

bool withoutFolderOverride(const std::function<void()> &work)
{
    bool dropped = false;
    std::thread thread([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};   // this thread only
        __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
        if (::syscall(SYS_capget, &header, caps) != 0)
            return;
        // The permitted set too: access(), which a readable check may use,
        // asks it for root.
        for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
            caps[0].effective &= ~(1u << cap);
            caps[0].permitted &= ~(1u << cap);
        }
        if (::syscall(SYS_capset, &header, caps) != 0)
            return;
        dropped = true;
        work();
    });
    thread.join();
    return dropped;
}

NoFolderOverrideHere::NoFolderOverrideHere()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, caps) != 0)
        return;
    m_effective = caps[0].effective;
    // The effective set only, so that the destructor can take the right back.
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
        caps[0].effective &= ~(1u << cap);
    m_dropped = ::syscall(SYS_capset, &header, caps) == 0;
}

NoFolderOverrideHere::~NoFolderOverrideHere()
{
    if (!m_dropped)
        return;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, caps) != 0)
        return;
    caps[0].effective = m_effective;
    ::syscall(SYS_capset, &header, caps);
}
