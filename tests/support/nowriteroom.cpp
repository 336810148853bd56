#include "nowriteroom.h"

#include <csignal>

NoWriteRoom::NoWriteRoom(rlim_t room)
{
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit none = m_old;
    none.rlim_cur = room;
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &none);
}

NoWriteRoom::~NoWriteRoom()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
}
