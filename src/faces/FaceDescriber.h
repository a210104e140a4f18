#pragma once

#include "faces/FaceDescriptor.h"
#include "faces/TfjsWeights.h"
#include "picture/TColor.h"

#include <filesystem>
#include <memory>

class TBitmap;
struct DescriptorCrop;

// Describes faces with a face descriptor network: a residual network of 29
// convolutions that maps a 150 x 150 face to 128 numbers, whose weights come
// from face-api.js (trained by dlib's author) as the npm package
// @vladmandic/face-api ships them (scripts/fetch-face-descriptor-model). It is
// built from the weights with OpenCV's dnn layers and runs on the calling
// thread, with OpenCV's own threads unless the program turned them off
// (OpenCvThreads.h). Loading takes about 40 ms of processor time, a face
// about 13 ms (face_descriptor_bench).
//
// A describer is not safe to share between threads: make one per thread,
// each from one reading of the weights (ReadTfjsWeights) when there are
// several.
class FaceDescriber {
public:
    // The model beside the running program (FaceModel.h).
    static std::filesystem::path DefaultModelFile();

    // Reads the model (its manifest; the weights lie beside it) and builds
    // the network. EFaceDescriberUnavailable when the files are missing,
    // unreadable or not this network's.
    explicit FaceDescriber(const std::filesystem::path& manifestFile = DefaultModelFile());
    // The network from weights read already (EFaceDescriberUnavailable when
    // they are not this network's).
    explicit FaceDescriber(const NetworkWeights& weights);
    FaceDescriber(const FaceDescriber&) = delete;
    FaceDescriber& operator=(const FaceDescriber&) = delete;
    ~FaceDescriber();

    // The face in `face`, a box the face detector found in `picture`,
    // cropped as DescriptorCrop.h says.
    FaceDescriptor Describe(const TBitmap& picture, const TRect& face);
    // A face cropped already.
    FaceDescriptor Describe(const DescriptorCrop& crop);

private:
    struct Network;
    std::unique_ptr<Network> network_;
};
