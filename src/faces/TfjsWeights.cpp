#include "faces/TfjsWeights.h"

#include "faces/FaceModel.h"
#include "picture/FileBytes.h"

#include <opencv2/core.hpp>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

static_assert(std::endian::native == std::endian::little, "TF.js stores float32 values little-endian");

// A manifest is a few dozen kilobytes; anything much larger is not one.
constexpr std::uintmax_t kMaxManifestBytes = std::uintmax_t{1} << 20;
// No tensor of a network the tool runs holds more values, nor its weight
// files more bytes, than these.
constexpr std::int64_t kMaxTensorValues = std::int64_t{1} << 26;
constexpr std::uintmax_t kMaxWeightBytes = std::uintmax_t{1} << 28;

[[noreturn]] void Damaged(const std::filesystem::path& file, const std::string& detail)
{
    throw EFaceDescriberUnavailable("人脸特征模型已损坏：" + Utf8Name(file) + "（" + detail + "）");
}

[[noreturn]] void Unreadable(const std::filesystem::path& file)
{
    throw EFaceDescriberUnavailable("人脸特征模型无法载入：" + Utf8Name(file));
}

std::uintmax_t RegularFileSize(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        Unreadable(file);
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error)
        Unreadable(file);
    return size;
}

std::vector<std::uint8_t> FileContents(const std::filesystem::path& file)
{
    std::vector<std::uint8_t> bytes;
    try {
        ReadFileBytes(file, bytes);
    } catch (const std::exception&) {
        Unreadable(file);
    }
    return bytes;
}

// Readers of manifest values that accept only the kind of value expected.
class ManifestReader {
public:
    explicit ManifestReader(std::filesystem::path manifest) : manifest_(std::move(manifest)) { }

    std::string Text(const cv::FileNode& node, const char* what) const
    {
        if (!node.isString())
            Damaged(manifest_, std::string("清单中缺少") + what);
        return node.string();
    }

    double Number(const cv::FileNode& node, const char* what) const
    {
        if (!node.isInt() && !node.isReal())
            Damaged(manifest_, std::string("清单中缺少") + what);
        const double value = node.real();
        if (!std::isfinite(value))
            Damaged(manifest_, std::string("清单中的") + what + "不是有限数");
        return value;
    }

    cv::FileNode List(const cv::FileNode& node, const char* what) const
    {
        if (!node.isSeq())
            Damaged(manifest_, std::string("清单中缺少") + what);
        return node;
    }

    [[noreturn]] void Fail(const std::string& detail) const { Damaged(manifest_, detail); }

private:
    std::filesystem::path manifest_;
};

// A weight file's name as the manifest gives it: a plain name beside the
// manifest, never a path that leads elsewhere.
bool PlainName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name) {
        if (c == '/' || c == '\\' || c == ':' || c == '\0')
            return false;
    }
    return true;
}

struct TensorEntry {
    std::string name;
    std::vector<std::int32_t> shape;
    std::int64_t count = 0;
    bool quantised = false;
    double scale = 0;
    double minimum = 0;

    std::int64_t Bytes() const { return quantised ? count : 4 * count; }
};

TensorEntry ReadEntry(const ManifestReader& reader, const cv::FileNode& node)
{
    TensorEntry entry;
    entry.name = reader.Text(node["name"], "张量名称");
    if (entry.name.empty())
        reader.Fail("张量名称为空");
    entry.count = 1;
    for (const cv::FileNode& sideNode : reader.List(node["shape"], "张量形状")) {
        const int side = sideNode.isInt() ? static_cast<int>(sideNode) : 0;
        if (side < 1 || side > kMaxTensorValues / entry.count)
            reader.Fail("张量 " + entry.name + " 的形状无效");
        entry.shape.push_back(side);
        entry.count *= side;
    }
    if (entry.shape.empty())
        reader.Fail("张量 " + entry.name + " 的形状无效");
    if (reader.Text(node["dtype"], "张量类型") != "float32")
        reader.Fail("张量 " + entry.name + " 的类型不受支持");
    const cv::FileNode quantisation = node["quantization"];
    if (!quantisation.empty()) {
        if (reader.Text(quantisation["dtype"], "量化类型") != "uint8")
            reader.Fail("张量 " + entry.name + " 的量化类型不受支持");
        entry.quantised = true;
        entry.scale = reader.Number(quantisation["scale"], "量化比例");
        entry.minimum = reader.Number(quantisation["min"], "量化最小值");
    }
    return entry;
}

WeightTensor Values(const TensorEntry& entry, const std::uint8_t* bytes)
{
    WeightTensor tensor;
    tensor.shape = entry.shape;
    tensor.values.resize(static_cast<std::size_t>(entry.count));
    if (entry.quantised) {
        // In double, as TensorFlow.js works it out, then kept as float.
        for (std::size_t i = 0; i < tensor.values.size(); ++i)
            tensor.values[i] = static_cast<float>(bytes[i] * entry.scale + entry.minimum);
    } else {
        std::memcpy(tensor.values.data(), bytes, tensor.values.size() * sizeof(float));
    }
    return tensor;
}

void ReadGroup(const ManifestReader& reader, const cv::FileNode& group, const std::filesystem::path& folder,
               NetworkWeights& weights)
{
    std::vector<TensorEntry> entries;
    std::int64_t needed = 0;
    for (const cv::FileNode& node : reader.List(group["weights"], "张量列表")) {
        entries.push_back(ReadEntry(reader, node));
        needed += entries.back().Bytes();
        if (static_cast<std::uintmax_t>(needed) > kMaxWeightBytes)
            reader.Fail("张量总量过大");
    }
    // The group's files are one stream of bytes, in the order listed.
    std::vector<std::filesystem::path> files;
    std::uintmax_t total = 0;
    for (const cv::FileNode& node : reader.List(group["paths"], "权重文件列表")) {
        const std::string name = reader.Text(node, "权重文件名");
        if (!PlainName(name))
            reader.Fail("权重文件名无效：" + name);
        files.push_back(folder / std::filesystem::path(std::u8string(name.begin(), name.end())));
        total += RegularFileSize(files.back());
        if (total > kMaxWeightBytes)
            Damaged(files.back(), "权重文件过大");
    }
    if (files.empty())
        reader.Fail("清单中缺少权重文件");
    if (total != static_cast<std::uintmax_t>(needed)) {
        Damaged(files.back(),
                "权重文件共 " + std::to_string(total) + " 字节，清单所列张量需要 " + std::to_string(needed) + " 字节");
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(total));
    for (const std::filesystem::path& file : files) {
        const std::vector<std::uint8_t> part = FileContents(file);
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    // The files changed between asking their size and reading them.
    if (bytes.size() != static_cast<std::size_t>(needed))
        Damaged(files.back(), "权重文件长度不符");
    std::size_t offset = 0;
    for (const TensorEntry& entry : entries) {
        if (!weights.tensors.emplace(entry.name, Values(entry, bytes.data() + offset)).second)
            reader.Fail("张量 " + entry.name + " 出现两次");
        offset += static_cast<std::size_t>(entry.Bytes());
    }
}

} // namespace

NetworkWeights ReadTfjsWeights(const std::filesystem::path& manifestFile)
{
    if (RegularFileSize(manifestFile) > kMaxManifestBytes)
        Damaged(manifestFile, "清单文件过大");
    const std::vector<std::uint8_t> manifest = FileContents(manifestFile);
    const ManifestReader reader(manifestFile);
    // OpenCV reads JSON whose outermost value is an object; the manifest's
    // is a list, so it is read as the one member of an object.
    const std::string text = "{\"manifest\":" + std::string(manifest.begin(), manifest.end()) + "\n}";
    NetworkWeights weights;
    weights.source = manifestFile;
    try {
        const cv::FileStorage storage(text,
                                      cv::FileStorage::READ | cv::FileStorage::MEMORY | cv::FileStorage::FORMAT_JSON);
        if (!storage.isOpened())
            reader.Fail("清单无法解析");
        for (const cv::FileNode& group : reader.List(storage["manifest"], "权重组"))
            ReadGroup(reader, group, manifestFile.parent_path(), weights);
    } catch (const cv::Exception&) {
        reader.Fail("清单无法解析");
    }
    if (weights.tensors.empty())
        reader.Fail("清单中没有张量");
    return weights;
}
