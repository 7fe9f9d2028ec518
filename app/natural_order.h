#pragma once
// The order of the folder and file lists: case-insensitive, with runs of digits compared as numbers
// ("track2" before "track10"). Keys are built once per name so that sorting is a plain string sort.

#include <QString>
#include <QStringList>

// Two keys compare (as plain strings) the way their names should be ordered.
QString naturalSortKey(const QString& name);

// Sorts names into natural order; names with equal keys ("a" and "A", "1" and "01") keep a fixed order.
void sortNaturally(QStringList& names);

// Whether a comes before b in natural order.
bool naturallyBefore(const QString& a, const QString& b);
