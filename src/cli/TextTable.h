#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Lines of a plain text table for a terminal: columns padded to their widest
// cell, Chinese characters counted two columns wide as terminals draw them.
// The last column is not padded.
QString TextTable(const QStringList& header, const QList<QStringList>& rows);

// The number of terminal columns a text takes.
int DisplayWidth(const QString& text);
