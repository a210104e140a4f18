#pragma once

#include "faces/FaceDescriptor.h"

#include <cstddef>
#include <optional>
#include <vector>

// A row's face: nothing where its photo shows none (or there is no photo).
using RowFace = std::optional<FaceDescriptor>;

// Which way a block of new photos is moved against the roster: Down when row
// i's new photo shows the student of row i + 1 (a photo left out above),
// Up when it shows the student of row i - 1 (one photo too many above).
enum class ShiftDirection { Up, Down };

// Rows `first` to `last` (counted from 0, both included) whose new photos
// look like the current photos one row further in `direction`.
struct ShiftedBlock {
    std::size_t first = 0;
    std::size_t last = 0;
    ShiftDirection direction = ShiftDirection::Down;

    bool operator==(const ShiftedBlock&) const = default;
};

// The blocks of rows that are paired one row off: for each row, the new face
// is held against the current faces of the row itself and the rows just
// above and below it. A row counts for a shift when the nearest of those is
// a neighbour's and taken for the same person (SamePerson), and against when
// it is its own and so taken. A block is two or more rows in a row counting
// for one direction, one of them clearly the same person (see
// ShiftedBlocks.cpp); rows that tell nothing (no new face, no current face
// in reach, or none near enough to be the same person) neither break a block
// nor count for it.
// `newFaces[i]` and `currentFaces[i]` are row i's; a longer list's extra rows
// are not looked at. In-order classes give nothing: measured on labelled
// faces (bench/faces), no block in any in-order class, and nearly every
// shifted block of three rows found, from three students up.
std::vector<ShiftedBlock> FindShiftedBlocks(const std::vector<RowFace>& newFaces,
                                            const std::vector<RowFace>& currentFaces);
