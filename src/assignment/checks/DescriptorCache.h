#pragma once

#include "faces/ShiftedBlocks.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <optional>

// The face descriptors of a site's current photos, kept between reviews so
// that the second plan of a class describes only its new photos. One file
// per site, faces/<site's journal name>/descriptors.bin under the data
// folder (beside the journals), readable by its owner only. It holds, for
// each photo by the PhotoHash of its bytes, the 128 numbers of its face or
// that it shows none: never a picture, nor a name or a code.

// Descriptors by photo hash; an entry without a value is a photo without a face.
using DescriptorsByHash = QHash<QByteArray, RowFace>;

// The file's bytes: "SPFACES1", the entry count, each entry (its hash, 1 and
// the descriptor's numbers or 0 for no face), then the PhotoHash of all
// that, so that a damaged file is known as such.
QByteArray EncodeDescriptors(const DescriptorsByHash& descriptors);
// The entries of such bytes; nothing when anything about them is wrong.
std::optional<DescriptorsByHash> DecodeDescriptors(const QByteArray& bytes);

// The site's cache as it lies under `dataFolder`: empty when there is none,
// it cannot be read or it is damaged (it is then written afresh), never
// followed through a link.
DescriptorsByHash ReadDescriptorCache(const QString& dataFolder, const QString& siteName);
// Puts `descriptors` in the site's cache file in one step (ReplaceFile).
// Returns false when it cannot: the next review then describes the photos
// again, and nothing else is lost.
bool WriteDescriptorCache(const QString& dataFolder, const QString& siteName, const DescriptorsByHash& descriptors);

// The PhotoHash of every regular file in `folder` (not in its subfolders),
// by name; files that cannot be read are left out.
QHash<QString, QByteArray> HashFolderFiles(const QString& folder);
