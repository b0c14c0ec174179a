#pragma once
// What a server process is using, read from /proc: memory, CPU time; and its descriptor limit
// lowered from outside.

#include <QtGlobal>

namespace serverprobe {

// Resident memory now and at its peak, in bytes (VmRSS, VmHWM).
qint64 residentBytes(qint64 pid);
qint64 peakResidentBytes(qint64 pid);
// User and system CPU time so far, in seconds.
double cpuSeconds(qint64 pid);
// Open descriptors now.
int openDescriptors(qint64 pid);
// Sets both limits on open descriptors of the process; false when refused.
bool limitDescriptors(qint64 pid, int limit);

}  // namespace serverprobe
