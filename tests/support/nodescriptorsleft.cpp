#include "nodescriptorsleft.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

NoDescriptorsLeft::NoDescriptorsLeft()
{
    if (getrlimit(RLIMIT_NOFILE, &m_old) != 0)
        return;
    rlimit low = m_old;
    low.rlim_cur = qMin<rlim_t>(m_old.rlim_cur, 512);
    m_lowered = setrlimit(RLIMIT_NOFILE, &low) == 0;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        m_held << fd;
    m_why = errno;
}

NoDescriptorsLeft::~NoDescriptorsLeft()
{
    give();
}

void NoDescriptorsLeft::give()
{
    for (int fd : std::as_const(m_held))
        ::close(fd);
    m_held.clear();
    if (m_lowered)
        setrlimit(RLIMIT_NOFILE, &m_old);
    m_lowered = false;
}
