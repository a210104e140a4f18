#pragma once

#include "faces/ShiftedBlocks.h"

#include <cstddef>
#include <vector>

// A row whose new photo shows another row's student rather than its own: its
// new face is not the same person as its own student's current face, and
// clearly the same person as the current face of `students` (rows counted
// from 0, nearest first).
struct OtherStudentsFace {
    std::size_t row = 0;
    std::vector<std::size_t> students;

    bool operator==(const OtherStudentsFace&) const = default;
};

// The rows whose new face is another student's, looked for in the whole
// class. A row is looked at only when its own student has a current face to
// hold the new one against: without it, nothing says the new face is not
// its own student's (a sibling in another row, a new student). Another
// student's face counts when it is nearer than kClearMatchDistance, which
// the labelled faces of bench/faces show two different people seldom come,
// so that in-order classes of hundreds stay quiet; the rows of a shifted
// block are found here too, one by one.
std::vector<OtherStudentsFace> FindOtherStudentsFaces(const std::vector<RowFace>& newFaces,
                                                      const std::vector<RowFace>& currentFaces);
