#ifndef UNPACKBENCH_H
#define UNPACKBENCH_H

#include <QHash>
#include <QString>

// The window's event loop while the console unpacks a package of `mib` MiB
// (random bytes, stored: a package within the unpack bounds that is quick
// to build): a 10 ms timer
// ticks throughout and its worst delay is kept. Figures "unpack_ms" (the
// install from start to end) and "lateness_ms"; empty when 7-Zip is missing.
QHash<QString, double> runUnpackBench(int mib);

#endif // UNPACKBENCH_H
