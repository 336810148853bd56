#include "withoutoverride.h"

#include <thread>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr unsigned FolderOverride = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

// Raw calls: the C library's would change every thread of the test.
bool getCaps(__user_cap_data_struct *caps)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, caps) == 0;
}

bool setCaps(__user_cap_data_struct *caps)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, caps) == 0;
}

} // namespace

bool withoutFolderOverride(const std::function<void()> &work)
{
    bool dropped = false;
    std::thread thread([&] {
        __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
        if (!getCaps(caps))
            return;
        // The permitted set too: access(), which a readable check may use,
        // asks it for root.
        caps[0].effective &= ~FolderOverride;
        caps[0].permitted &= ~FolderOverride;
        if (!setCaps(caps))
            return;
        dropped = true;
        work();
    });
    thread.join();
    return dropped;
}

NoFolderOverrideHere::NoFolderOverrideHere()
{
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
    if (!getCaps(caps))
        return;
    m_effective = caps[0].effective;
    // The effective set only, so that the destructor can take the right back.
    caps[0].effective &= ~FolderOverride;
    m_dropped = setCaps(caps);
}

NoFolderOverrideHere::~NoFolderOverrideHere()
{
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
    if (!m_dropped || !getCaps(caps))
        return;
    caps[0].effective = m_effective;
    setCaps(caps);
}
