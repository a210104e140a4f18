#pragma once

#include <QByteArray>
#include <QIODevice>

// The hash by which the plan and the journal know a photo file's bytes again:
// BLAKE2b-256, in hex. The plan takes it of each photo when it is made, so
// that a run writes only the bytes that were shown, and the journal of each
// file it replaces or copies, so that an undo restores only what it saved.
QByteArray PhotoHash(const QByteArray& bytes);
// Of everything `device` holds from its present position on.
QByteArray PhotoHash(QIODevice& device);
