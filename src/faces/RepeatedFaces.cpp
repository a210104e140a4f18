#include "faces/RepeatedFaces.h"

std::vector<std::size_t> FindRepeatedNeighbours(const std::vector<RowFace>& faces)
{
    std::vector<std::size_t> rows;
    for (std::size_t i = 1; i < faces.size(); ++i) {
        if (faces[i - 1] && faces[i] && DescriptorDistance(*faces[i - 1], *faces[i]) < kRetakeDistance)
            rows.push_back(i);
    }
    return rows;
}
