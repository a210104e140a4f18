#pragma once

#include <QList>
#include <QString>

// Connection strings as ADO.NET and OLE DB write them: "key=value" pairs
// separated by ";". Blanks around keys and values do not count; a value in
// single or double quotes may hold ";" and blanks, and its own quotation
// mark written twice; "==" in a key stands for "=".
struct ConnectionStringPair {
    QString key; // as written, trimmed
    QString value;
};

struct ParsedConnectionString {
    QList<ConnectionStringPair> pairs; // in order, up to a problem
    QString problem;                   // what is wrong with the text; empty when nothing is
};

ParsedConnectionString ParseConnectionString(const QString& text);

// A value as it has to be written so that ParseConnectionString gives it
// back: in quotes when it holds ";", starts with a quotation mark or has
// blanks at either end.
QString QuoteConnectionValue(const QString& value);
