#pragma once

#include "assignment/plan/PhotoFacts.h"

#include <QString>

// Tells the kind by the file's first bytes (a photo stored under a name of
// the other kind still shows in a browser) and reads that kind's header;
// then hashes the whole file. Only regular files are opened.
PhotoFacts ProbePhoto(const QString& path);
