#include "faces/OtherStudentsFaces.h"

#include <algorithm>
#include <utility>

std::vector<OtherStudentsFace> FindOtherStudentsFaces(const std::vector<RowFace>& newFaces,
                                                      const std::vector<RowFace>& currentFaces)
{
    const std::size_t rows = std::min(newFaces.size(), currentFaces.size());
    std::vector<OtherStudentsFace> found;
    for (std::size_t row = 0; row < rows; ++row) {
        if (!newFaces[row] || !currentFaces[row] || SamePerson(*newFaces[row], *currentFaces[row]))
            continue;
        std::vector<std::pair<double, std::size_t>> near;
        for (std::size_t other = 0; other < rows; ++other) {
            if (other == row || !currentFaces[other])
                continue;
            const double distance = DescriptorDistance(*newFaces[row], *currentFaces[other]);
            if (distance < kClearMatchDistance)
                near.emplace_back(distance, other);
        }
        if (near.empty())
            continue;
        std::sort(near.begin(), near.end());
        OtherStudentsFace face{row, {}};
        for (const auto& [distance, other] : near)
            face.students.push_back(other);
        found.push_back(std::move(face));
    }
    return found;
}
