#pragma once
// Times as the component shows them: "m:ss", or "h:mm:ss" from an hour on.

#include <QString>

// Positions past the longest known length (a broken file's) are taken as that: no int overflows.
double boundedSeconds(double seconds);
QString clockText(double seconds);
