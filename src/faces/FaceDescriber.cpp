#include "faces/FaceDescriber.h"

#include "faces/DescriptorCrop.h"
#include "faces/FaceModel.h"

#include <opencv2/dnn.hpp>

#include <algorithm>
#include <stdexcept>

namespace {

// The network's input: the crop's red, green and blue less these means, over
// 255.
constexpr float kMeanRgb[3] = {122.782F, 117.001F, 104.298F};

// The residual blocks after the first convolution and its pooling, in order:
// the name of their weights, their channels, and whether they halve the size.
struct Block {
    const char* name;
    int channels;
    bool halves;
};
constexpr Block kBlocks[] = {
    {"conv32_1", 32, false},   {"conv32_2", 32, false},         {"conv32_3", 32, false},
    {"conv64_down", 64, true}, {"conv64_1", 64, false},         {"conv64_2", 64, false},
    {"conv64_3", 64, false},   {"conv128_down", 128, true},     {"conv128_1", 128, false},
    {"conv128_2", 128, false}, {"conv256_down", 256, true},     {"conv256_1", 256, false},
    {"conv256_2", 256, false}, {"conv256_down_out", 256, true},
};
constexpr int kFirstChannels = 32;
constexpr int kFirstKernel = 7;
constexpr int kKernel = 3;
constexpr int kLastChannels = 256;

// Builds the network layer by layer, checking each tensor it takes.
class NetworkBuilder {
public:
    NetworkBuilder(const NetworkWeights& weights, cv::dnn::Net& net) : weights_(weights), net_(net) { }

    // A convolution (with its bias), the scale layer after it, and a ReLU
    // when asked. The scale is folded into the convolution's weights and
    // bias: (conv(x) + b) * s + t is conv with weights * s, plus b * s + t.
    // At stride 1 the input gets kernel / 2 zeros on every side and keeps its
    // size (TF.js's "same"); a strided one takes whole windows only ("valid").
    int Convolution(const std::string& prefix, int input, int kernel, int inputs, int outputs, int stride, bool relu)
    {
        const WeightTensor& filters = Tensor(prefix + "/conv/filters", {kernel, kernel, inputs, outputs});
        const WeightTensor& bias = Tensor(prefix + "/conv/bias", {outputs});
        const WeightTensor& scale = Tensor(prefix + "/scale/weights", {outputs});
        const WeightTensor& shift = Tensor(prefix + "/scale/biases", {outputs});
        // TF.js keeps filters as rows, columns, inputs, outputs; OpenCV as
        // outputs, inputs, rows, columns.
        const int shape[] = {outputs, inputs, kernel, kernel};
        cv::Mat weights(4, shape, CV_32F);
        auto* to = weights.ptr<float>();
        for (int o = 0; o < outputs; ++o) {
            for (int i = 0; i < inputs; ++i) {
                for (int y = 0; y < kernel; ++y) {
                    for (int x = 0; x < kernel; ++x)
                        *to++ = filters.values[Index(((y * kernel + x) * inputs + i) * outputs + o)]
                                * scale.values[Index(o)];
                }
            }
        }
        cv::Mat biases(outputs, 1, CV_32F);
        for (int o = 0; o < outputs; ++o)
            biases.at<float>(o) = bias.values[Index(o)] * scale.values[Index(o)] + shift.values[Index(o)];

        cv::dnn::LayerParams params;
        params.set("kernel_size", kernel);
        params.set("stride", stride);
        params.set("pad", stride == 1 ? kernel / 2 : 0);
        params.set("num_output", outputs);
        params.set("bias_term", true);
        params.blobs = {weights, biases};
        int layer = Add(prefix + "/conv", "Convolution", params, {input});
        if (relu)
            layer = Relu(prefix + "/relu", layer);
        return layer;
    }

    // A residual block at a `side` x `side` input: two convolutions added to
    // the input. A halving block's first convolution steps by two, and its
    // shortcut is the input's 2 x 2 means, with zeros for the channels it
    // lacks. Where the convolution's output is a pixel smaller than the
    // shortcut (an even size), it gets a zero row at the bottom and a zero
    // column at the right, as TF.js pads it.
    int Residual(const Block& block, int input, int inputs, int& side)
    {
        const std::string prefix = block.name;
        const int stride = block.halves ? 2 : 1;
        int out = Convolution(prefix + "/conv1", input, kKernel, inputs, block.channels, stride, true);
        out = Convolution(prefix + "/conv2", out, kKernel, block.channels, block.channels, 1, false);
        int shortcut = input;
        if (block.halves) {
            const int convolved = (side - kKernel) / 2 + 1;
            side /= 2;
            shortcut = Pooling(prefix + "/shortcut", "ave", input, 2, 2);
            if (convolved < side) {
                cv::dnn::LayerParams params;
                // Before and after, for each of batch, channels, rows, columns.
                const int paddings[] = {0, 0, 0, 0, 0, side - convolved, 0, side - convolved};
                params.set("paddings", cv::dnn::DictValue::arrayInt(paddings, 8));
                out = Add(prefix + "/pad", "Padding", params, {out});
            }
        }
        cv::dnn::LayerParams sum;
        sum.set("operation", "sum");
        // The output has the first input's channels; a second with fewer is
        // added to the first of them.
        sum.set("output_channels_mode", "input_0");
        const int added = Add(prefix + "/sum", "Eltwise", sum, {out, shortcut});
        return Relu(prefix + "/relu", added);
    }

    int Pooling(const std::string& name, const char* kind, int input, int kernel, int stride)
    {
        cv::dnn::LayerParams params;
        params.set("pool", kind);
        params.set("kernel_size", kernel);
        params.set("stride", stride);
        // Whole windows only ("valid"), where OpenCV would round up.
        params.set("ceil_mode", false);
        return Add(name, "Pooling", params, {input});
    }

    int GlobalMean(int input)
    {
        cv::dnn::LayerParams params;
        params.set("pool", "ave");
        params.set("global_pooling", true);
        return Add("mean", "Pooling", params, {input});
    }

    // The last matrix product, from kLastChannels means to the descriptor.
    // OpenCV takes the matrix as outputs x inputs (TF.js keeps inputs x
    // outputs) and, in the version Debian ships, wants a bias: zeros.
    int Product(int input)
    {
        const WeightTensor& matrix = Tensor("fc", {kLastChannels, static_cast<int>(kDescriptorSize)});
        cv::Mat weights(static_cast<int>(kDescriptorSize), kLastChannels, CV_32F);
        for (int o = 0; o < static_cast<int>(kDescriptorSize); ++o) {
            for (int i = 0; i < kLastChannels; ++i)
                weights.at<float>(o, i) = matrix.values[Index(i * static_cast<int>(kDescriptorSize) + o)];
        }
        cv::dnn::LayerParams params;
        params.set("num_output", static_cast<int>(kDescriptorSize));
        params.set("bias_term", true);
        params.blobs = {weights, cv::Mat::zeros(1, static_cast<int>(kDescriptorSize), CV_32F)};
        return Add("fc", "InnerProduct", params, {input});
    }

private:
    static std::size_t Index(int i) { return static_cast<std::size_t>(i); }

    const WeightTensor& Tensor(const std::string& name, const std::vector<std::int32_t>& shape) const
    {
        const auto found = weights_.tensors.find(name);
        if (found == weights_.tensors.end())
            throw EFaceDescriberUnavailable("人脸特征模型已损坏：" + Utf8Name(weights_.source) + "（缺少张量 " + name
                                            + "）");
        if (found->second.shape != shape)
            throw EFaceDescriberUnavailable("人脸特征模型已损坏：" + Utf8Name(weights_.source) + "（张量 " + name
                                            + " 的形状不符）");
        return found->second;
    }

    int Relu(const std::string& name, int input)
    {
        cv::dnn::LayerParams params;
        return Add(name, "ReLU", params, {input});
    }

    int Add(const std::string& name, const std::string& type, cv::dnn::LayerParams& params, std::vector<int> inputs)
    {
        params.name = name;
        params.type = type;
        const int layer = net_.addLayer(name, type, params);
        for (std::size_t k = 0; k < inputs.size(); ++k)
            net_.connect(inputs[k], 0, layer, static_cast<int>(k));
        return layer;
    }

    const NetworkWeights& weights_;
    cv::dnn::Net& net_;
};

} // namespace

struct FaceDescriber::Network {
    cv::dnn::Net net;
    cv::Mat input;
};

std::filesystem::path FaceDescriber::DefaultModelFile()
{
    return DescriptorModelFile(RunningProgramFolder());
}

FaceDescriber::FaceDescriber(const std::filesystem::path& manifestFile) : FaceDescriber(ReadTfjsWeights(manifestFile))
{
}

FaceDescriber::FaceDescriber(const NetworkWeights& weights) : network_(std::make_unique<Network>())
{
    cv::dnn::Net& net = network_->net;
    try {
        net.setInputsNames({"face"});
        NetworkBuilder builder(weights, net);
        int side = (kDescriptorCropSide - kFirstKernel) / 2 + 1;
        int layer = builder.Convolution("conv32_down", 0, kFirstKernel, 3, kFirstChannels, 2, true);
        layer = builder.Pooling("pool", "max", layer, 3, 2);
        side = (side - 3) / 2 + 1;
        int channels = kFirstChannels;
        for (const Block& block : kBlocks) {
            layer = builder.Residual(block, layer, channels, side);
            channels = block.channels;
        }
        builder.Product(builder.GlobalMean(layer));
        const int shape[] = {1, 3, kDescriptorCropSide, kDescriptorCropSide};
        network_->input.create(4, shape, CV_32F);
        // OpenCV makes its layers at the first run: a model it cannot run is
        // told now, not at the first face.
        DescriptorCrop blank;
        blank.rgb.assign(3 * static_cast<std::size_t>(kDescriptorCropSide) * kDescriptorCropSide, 0);
        Describe(blank);
    } catch (const cv::Exception& error) {
        throw EFaceDescriberUnavailable("人脸特征模型无法使用：" + Utf8Name(weights.source) + "（" + error.what()
                                        + "）");
    }
}

FaceDescriber::~FaceDescriber() = default;

FaceDescriptor FaceDescriber::Describe(const TBitmap& picture, const TRect& face)
{
    return Describe(CropForDescriptor(picture, face));
}

FaceDescriptor FaceDescriber::Describe(const DescriptorCrop& crop)
{
    constexpr std::size_t kPixels = static_cast<std::size_t>(kDescriptorCropSide) * kDescriptorCropSide;
    if (crop.rgb.size() != 3 * kPixels)
        throw std::invalid_argument("a descriptor crop of the wrong size");
    // Planes of red, green and blue, as the network takes them.
    auto* planes = network_->input.ptr<float>();
    for (std::size_t p = 0; p < kPixels; ++p) {
        for (std::size_t c = 0; c < 3; ++c)
            planes[c * kPixels + p] = (static_cast<float>(crop.rgb[3 * p + c]) - kMeanRgb[c]) / 255.0F;
    }
    network_->net.setInput(network_->input);
    const cv::Mat out = network_->net.forward();
    FaceDescriptor descriptor{};
    if (out.total() != kDescriptorSize || out.type() != CV_32F)
        throw std::runtime_error("the face descriptor network gave no descriptor");
    std::copy_n(out.ptr<float>(), kDescriptorSize, descriptor.begin());
    return descriptor;
}
