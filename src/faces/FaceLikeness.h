#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// How alike the faces of neighbouring rows are, by OpenCV's local binary
// pattern histograms (LBPH: radius 1, 8 neighbours, 8 x 8 cells) of face
// crops (PortraitExamination::faceCrop): the chi-square distance its
// recogniser ranks faces by, smaller for more alike. Nothing is kept beyond
// the call.

// The rows compared with each: this many either side.
inline constexpr int kNeighbourReach = 2;

struct NeighbourDistances {
    // [s + kNeighbourReach]: the row's new face against the current face of
    // the row s further down (s from -2 to 2; 0 is its own). Nothing where
    // either face is missing or the row is outside the list.
    std::array<std::optional<double>, 2 * kNeighbourReach + 1> toCurrent;
    // The row's new face against the next row's new face.
    std::optional<double> toNextNew;
};

// `newFaces[i]` and `currentFaces[i]` are row i's crops (empty: no face);
// both lists are as long. The recogniser is trained on a few dozen rows at a
// time, so memory stays small for thousands of students.
std::vector<NeighbourDistances> CompareNeighbours(const std::vector<std::vector<std::uint8_t>>& newFaces,
                                                  const std::vector<std::vector<std::uint8_t>>& currentFaces);
