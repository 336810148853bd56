#include "nowriteroom.h"

#include <csignal>

NoWriteRoom::NoWriteRoom()
{
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit none = m_old;
    none.rlim_cur = 0;
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &none);
}

NoWriteRoom::~NoWriteRoom()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
}
