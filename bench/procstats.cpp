#include "procstats.h"

#include <QFile>

#include <algorithm>
#include <ctime>
#include <malloc.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

qint64 ProcStats::threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

namespace {
cpu_set_t otherProcessors;
bool pinned = false;
}

void ProcStats::keepProcessor()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2)
        return;
    int chosen = CPU_SETSIZE - 1;
    while (!CPU_ISSET(chosen, &allowed))
        --chosen;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(chosen, &one);
    if (sched_setaffinity(0, sizeof one, &one) != 0)
        return;
    otherProcessors = allowed;
    CPU_CLR(chosen, &otherProcessors);
    pinned = true;
}

void ProcStats::leaveProcessor()
{
    // Runs in the child between fork and exec: a system call only.
    if (pinned)
        sched_setaffinity(0, sizeof otherProcessors, &otherProcessors);
}

qint64 ProcStats::residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

qint64 ProcStats::heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

void ProcStats::raiseFileLimit(int wanted)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= rlim_t(wanted))
        return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? rlim_t(wanted) : std::min(rlim_t(wanted), limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
}

double ProcStats::percentile(QList<double> samples, double fraction)
{
    if (samples.isEmpty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const qsizetype at = std::min<qsizetype>(samples.size() - 1, qsizetype(fraction * double(samples.size())));
    return samples.at(at);
}
