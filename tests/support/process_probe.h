#pragma once
// What this process holds right now, read from /proc: for tests that check a bad input leaves nothing
// behind (descriptors, threads, listening sockets, work going on).

#include <QStringList>

namespace probe {
int openDescriptors();
int threads();
// CPU seconds this process has used so far, all threads together.
double cpuSeconds();
// The sockets of this process that are bound to a port: TCP listening, or UDP bound ("udp 0.0.0.0:5004").
QStringList boundSockets();
} // namespace probe
