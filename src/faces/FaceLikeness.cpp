#include "faces/FaceLikeness.h"

#include "faces/PortraitExamination.h"

#include <opencv2/face.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace {

// Rows whose histograms are made at once: a few megabytes of them.
constexpr std::size_t kBlockRows = 48;

cv::Mat CropMat(const std::vector<std::uint8_t>& crop)
{
    return cv::Mat(kFaceCropSide, kFaceCropSide, CV_8UC1, const_cast<std::uint8_t*>(crop.data()));
}

bool IsCrop(const std::vector<std::uint8_t>& crop)
{
    return crop.size() == static_cast<std::size_t>(kFaceCropSide) * kFaceCropSide;
}

// The LBPH histograms of the crops in [from, to) of each list, through the
// recogniser's own training (the only way it gives them); empty matrices
// where a row has no face.
struct BlockHistograms {
    std::size_t from = 0;
    std::vector<cv::Mat> fresh;
    std::vector<cv::Mat> current;
};

BlockHistograms Histograms(const std::vector<std::vector<std::uint8_t>>& newFaces,
                           const std::vector<std::vector<std::uint8_t>>& currentFaces, std::size_t from, std::size_t to)
{
    BlockHistograms block;
    block.from = from;
    block.fresh.resize(to - from);
    block.current.resize(to - from);
    std::vector<cv::Mat> images;
    std::vector<int> labels;
    std::vector<cv::Mat*> targets;
    for (std::size_t i = from; i < to; ++i) {
        for (auto [faces, histograms] :
             {std::pair{&newFaces, &block.fresh}, std::pair{&currentFaces, &block.current}}) {
            if (IsCrop((*faces)[i])) {
                images.push_back(CropMat((*faces)[i]));
                labels.push_back(static_cast<int>(labels.size()));
                targets.push_back(&(*histograms)[i - from]);
            }
        }
    }
    if (images.empty())
        return block;
    const cv::Ptr<cv::face::LBPHFaceRecognizer> recogniser = cv::face::LBPHFaceRecognizer::create(1, 8, 8, 8);
    recogniser->train(images, labels);
    const std::vector<cv::Mat> histograms = recogniser->getHistograms();
    for (std::size_t k = 0; k < targets.size() && k < histograms.size(); ++k)
        *targets[k] = histograms[k];
    return block;
}

std::optional<double> Distance(const cv::Mat& a, const cv::Mat& b)
{
    if (a.empty() || b.empty())
        return std::nullopt;
    return cv::compareHist(a, b, cv::HISTCMP_CHISQR_ALT);
}

} // namespace

std::vector<NeighbourDistances> CompareNeighbours(const std::vector<std::vector<std::uint8_t>>& newFaces,
                                                  const std::vector<std::vector<std::uint8_t>>& currentFaces)
{
    const std::size_t rows = std::min(newFaces.size(), currentFaces.size());
    std::vector<NeighbourDistances> distances(rows);
    for (std::size_t start = 0; start < rows; start += kBlockRows) {
        const std::size_t end = std::min(rows, start + kBlockRows);
        // The block's rows and their neighbours either side.
        const std::size_t from = start >= kNeighbourReach ? start - kNeighbourReach : 0;
        const std::size_t to = std::min(rows, end + kNeighbourReach);
        const BlockHistograms block = Histograms(newFaces, currentFaces, from, to);
        for (std::size_t i = start; i < end; ++i) {
            const cv::Mat& fresh = block.fresh[i - from];
            for (int s = -kNeighbourReach; s <= kNeighbourReach; ++s) {
                const std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) + s;
                if (j >= 0 && static_cast<std::size_t>(j) < rows)
                    distances[i].toCurrent[s + kNeighbourReach] = Distance(fresh, block.current[j - from]);
            }
            if (i + 1 < rows)
                distances[i].toNextNew = Distance(fresh, block.fresh[i + 1 - from]);
        }
    }
    return distances;
}
