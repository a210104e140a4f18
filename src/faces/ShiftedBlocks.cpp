#include "faces/ShiftedBlocks.h"

#include <algorithm>

namespace {

// What a row says about a shift.
enum class Vote { Nothing, Against, Up, Down };

struct RowEvidence {
    Vote vote = Vote::Nothing;
    double distance = 0; // to the nearest current face, for Up and Down
};

RowEvidence Evidence(const std::vector<RowFace>& newFaces, const std::vector<RowFace>& currentFaces, std::size_t row,
                     std::size_t rows)
{
    if (!newFaces[row])
        return {};
    std::optional<std::size_t> nearest;
    double nearestDistance = 0;
    for (std::size_t j = row == 0 ? 0 : row - 1; j <= row + 1 && j < rows; ++j) {
        if (!currentFaces[j])
            continue;
        const double distance = DescriptorDistance(*newFaces[row], *currentFaces[j]);
        if (!nearest || distance < nearestDistance) {
            nearest = j;
            nearestDistance = distance;
        }
    }
    // A face like nobody's in reach (a stranger's, or a student's whose
    // current photo is missing or years old) tells nothing either way.
    if (!nearest || nearestDistance >= kSamePersonDistance)
        return {};
    if (*nearest == row)
        return {Vote::Against, nearestDistance};
    return {*nearest > row ? Vote::Down : Vote::Up, nearestDistance};
}

} // namespace

std::vector<ShiftedBlock> FindShiftedBlocks(const std::vector<RowFace>& newFaces,
                                            const std::vector<RowFace>& currentFaces)
{
    const std::size_t rows = std::min(newFaces.size(), currentFaces.size());
    std::vector<ShiftedBlock> blocks;
    // The run being followed: its direction, first and last voting rows, how
    // many rows voted for it and the nearest of their faces.
    Vote direction = Vote::Nothing;
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t votes = 0;
    double nearest = 0;
    auto close = [&] {
        if (votes >= 2 && nearest < kClearMatchDistance)
            blocks.push_back({first, last, direction == Vote::Down ? ShiftDirection::Down : ShiftDirection::Up});
        direction = Vote::Nothing;
        votes = 0;
    };
    for (std::size_t row = 0; row < rows; ++row) {
        const RowEvidence evidence = Evidence(newFaces, currentFaces, row, rows);
        if (evidence.vote == Vote::Nothing)
            continue;
        if (evidence.vote != direction)
            close();
        if (evidence.vote == Vote::Against)
            continue;
        if (votes == 0) {
            direction = evidence.vote;
            first = row;
            nearest = evidence.distance;
        }
        last = row;
        nearest = std::min(nearest, evidence.distance);
        ++votes;
    }
    close();
    return blocks;
}
