#pragma once

#include "faces/ShiftedBlocks.h"

#include <cstddef>
#include <vector>

// Below this distance two photos are near-identical faces: the same person
// taken again moments later, as a retake kept by mistake beside the first
// photo is. kSamePersonDistance would take 5 % of the pairs of different
// people for one person, a false retake every few classes; on the labelled
// faces of bench/faces no two people come under this distance (the nearest
// 0.47 apart), three quarters of the pairs of one person's photos do, and
// one photo saved again, smaller, in grey or turned comes to
// 0.21 to 0.26 (tests/faces/LabelledFacesTest.cpp).
inline constexpr double kRetakeDistance = 0.4;

// The rows (counted from 0, each from 1 on) whose face is near-identical to
// the face of the row before: in a list of new photos, one of the two is
// most likely the wrong student's. Rows without a face are skipped, not
// compared across.
std::vector<std::size_t> FindRepeatedNeighbours(const std::vector<RowFace>& faces);
