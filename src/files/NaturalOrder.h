#pragma once

#include <QString>
#include <QStringList>

// The order in which a file manager shows names to a person: letter case is
// ignored and runs of digits compare by their value, so "2.jpg" comes before
// "10.jpg" and "001.jpg" before "002.jpg". Names equal under that rule are
// ordered by their shorter digit runs first, then by their exact text, so the
// order is total and the same on every run.
bool NaturalLess(const QString& a, const QString& b);

void SortNaturally(QStringList& names);
