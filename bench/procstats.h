#ifndef PROCSTATS_H
#define PROCSTATS_H

#include <QList>
#include <QtGlobal>

// Small measurements of this process for the benchmarks.
namespace ProcStats {
// CPU time this thread has used, in nanoseconds: unlike the wall clock it
// does not count the time other processes on a shared machine take.
qint64 threadCpuNs();
// Resident memory of this process in bytes (from /proc/self/statm).
qint64 residentBytes();
// Bytes the allocator has handed out and not taken back: unlike the
// resident size it does not count freed memory the allocator keeps.
qint64 heapInUse();
// Raises the soft descriptor limit towards the hard one: a thousand devices
// need a thousand sockets on each end.
void raiseFileLimit(int wanted);
// Keeps this thread on one processor, the last it may run on (the first
// tends to take the machine's interrupts), and makes the processes started
// from it afterwards (with leaveProcessor as their child modifier) run on
// the others: a thread moved to another processor in the middle of a
// measurement finds its data in another core's cache, and the devices it
// serves would take turns with it. Does nothing on a single processor.
void keepProcessor();
void leaveProcessor();
// The value at the given fraction (0..1) of the sorted samples.
double percentile(QList<double> samples, double fraction);
}

#endif // PROCSTATS_H
