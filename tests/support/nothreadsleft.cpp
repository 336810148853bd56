#include "nothreadsleft.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr long Nobody = 65534;

// Raw calls: the C library's would change every thread of the test.
bool setCaps(__user_cap_data_struct *caps)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, caps) == 0;
}

} // namespace

NoThreadsLeft::NoThreadsLeft()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    if (::syscall(SYS_capget, &header, m_caps) != 0 || getrlimit(RLIMIT_NPROC, &m_old) != 0)
        return;
    // The process limit binds neither root's own account nor a holder of
    // these rights; the effective user, and every other right, stay.
    __user_cap_data_struct lowered[_LINUX_CAPABILITY_U32S_3] = {m_caps[0], m_caps[1]};
    lowered[0].effective &= ~((1u << CAP_SYS_RESOURCE) | (1u << CAP_SYS_ADMIN));
    m_capsDropped = setCaps(lowered);
    if (!m_capsDropped)
        return;
    if (::getuid() == 0) {
        m_userChanged = ::syscall(SYS_setresuid, Nobody, -1, -1) == 0;
        if (!m_userChanged)
            return;
    }
    rlimit none = m_old;
    none.rlim_cur = 0;
    m_active = setrlimit(RLIMIT_NPROC, &none) == 0;
}

NoThreadsLeft::~NoThreadsLeft()
{
    if (m_active)
        setrlimit(RLIMIT_NPROC, &m_old);
    if (m_userChanged)
        ::syscall(SYS_setresuid, 0, -1, -1);
    if (m_capsDropped)
        setCaps(m_caps);
}
