#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// The face descriptor network's model could not be used: the file is
// missing or unreadable, or its contents are not the network's. what() is
// the message for the user, naming the file.
class EFaceDescriberUnavailable : public std::runtime_error {
public:
    explicit EFaceDescriberUnavailable(const std::string& message) : std::runtime_error(message) { }
};

// One tensor of a network's weights: its shape, outermost first, and its
// values in that order, as float.
struct WeightTensor {
    std::vector<std::int32_t> shape;
    std::vector<float> values;
};

// A network's weights by tensor name, and the file they came from (for
// messages).
struct NetworkWeights {
    std::filesystem::path source;
    std::map<std::string, WeightTensor> tensors;
};

// Reads weights saved in TensorFlow.js's format: a manifest (JSON: groups,
// each a list of tensors with name, shape, dtype and an optional
// quantisation, and the binary files holding them one after the other) and
// its binary files, which must lie beside it under plain names. Float32
// tensors are taken as they are; uint8-quantised ones become q * scale + min,
// as TensorFlow.js dequantises them. Every size is checked against the
// files' real lengths before anything is allocated; any other dtype, a
// shape of no values or too many, a tensor named twice, or files longer or
// shorter than the tensors they should hold throw EFaceDescriberUnavailable.
NetworkWeights ReadTfjsWeights(const std::filesystem::path& manifestFile);
