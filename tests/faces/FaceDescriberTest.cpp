// The face descriptor network: its descriptors against ones computed outside
// the tool, its model read from any folder and refused when damaged, and one
// network per thread.
#include "faces/FaceDescriber.h"

#include "faces/DescriptorCrop.h"
#include "faces/FaceDetector.h"
#include "faces/FaceModel.h"
#include "faces/PortraitExamination.h"
#include "faces/ReducedPhoto.h"
#include "picture/PictureTestSupport.h"
#include "picture/QuarterTurns.h"

#include <array>
#include <functional>
#include <thread>

namespace {

namespace fs = std::filesystem;

const fs::path kReferenceFolder = TestData("faces/reference");

// A binary PPM (P6) of 150 x 150 pixels, as the reference crops are stored.
DescriptorCrop ReadCrop(const fs::path& file)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(file);
    const std::string header = "P6\n150 150\n255\n";
    const std::size_t size = 3 * static_cast<std::size_t>(kDescriptorCropSide) * kDescriptorCropSide;
    if (bytes.size() != header.size() + size || !std::equal(header.begin(), header.end(), bytes.begin()))
        throw std::runtime_error("not a 150 x 150 PPM: " + Utf8(file));
    return DescriptorCrop{{bytes.begin() + static_cast<std::ptrdiff_t>(header.size()), bytes.end()}};
}

struct ReferenceDescriptor {
    std::string crop;
    FaceDescriptor descriptor{};
};

// tests/data/faces/reference/descriptors.txt: a crop's file name and its 128
// numbers on each line.
std::vector<ReferenceDescriptor> ReadReferences()
{
    std::ifstream file(kReferenceFolder / "descriptors.txt");
    std::vector<ReferenceDescriptor> references;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        ReferenceDescriptor reference;
        fields >> reference.crop;
        for (float& value : reference.descriptor)
            fields >> value;
        if (!fields)
            throw std::runtime_error("a short line in descriptors.txt: " + reference.crop);
        references.push_back(reference);
    }
    return references;
}

TEST(FaceDescriber, GivesTheDescriptorsOfANetworkWrittenOutsideTheTool)
{
    FaceDescriber describer;
    const std::vector<ReferenceDescriptor> references = ReadReferences();
    ASSERT_EQ(references.size(), 3U);
    for (const ReferenceDescriptor& reference : references) {
        SCOPED_TRACE(reference.crop);
        const FaceDescriptor ours = describer.Describe(ReadCrop(kReferenceFolder / reference.crop));
        double largest = 0;
        for (std::size_t i = 0; i < kDescriptorSize; ++i)
            largest = std::max(largest, std::abs(static_cast<double>(ours[i]) - reference.descriptor[i]));
        EXPECT_LT(largest, 1e-4);
    }
}

TEST(FaceDescriber, DescribesAPortraitsFaceTheSameWhateverThreadAndTurn)
{
    FaceDetector detector;
    FaceDescriber describer;
    const ReducedPhoto photo = ReadReducedPhoto(TestData("jpeg/photos/hopper.jpg"), 480);
    const PortraitExamination upright = ExaminePortrait(detector, describer, *photo.pixels, photo.upright);
    ASSERT_TRUE(upright.descriptor.has_value());

    // Stored turned, without an orientation tag: described once turned back.
    TBitmap turned;
    turned.SetSize(photo.pixels->Height(), photo.pixels->Width());
    DrawQuarterTurned(turned, *photo.pixels, TurnDirection::Right);
    const PortraitExamination look =
        ExaminePortrait(detector, describer, turned, {photo.upright.Height, photo.upright.Width});
    ASSERT_EQ(look.turn, FaceTurn::Left);
    ASSERT_TRUE(look.descriptor.has_value());
    EXPECT_LT(DescriptorDistance(*look.descriptor, *upright.descriptor), 1e-4);

    // Describers of one reading of the model, each on its own thread, at once.
    const NetworkWeights weights = ReadTfjsWeights(FaceDescriber::DefaultModelFile());
    std::array<std::optional<FaceDescriptor>, 2> seen;
    auto work = [&](std::size_t i) {
        FaceDetector ownDetector;
        FaceDescriber own(weights);
        for (int round = 0; round < 3; ++round)
            seen[i] = ExaminePortrait(ownDetector, own, *photo.pixels, photo.upright).descriptor;
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    for (const std::optional<FaceDescriptor>& descriptor : seen) {
        ASSERT_TRUE(descriptor.has_value());
        EXPECT_LT(DescriptorDistance(*descriptor, *upright.descriptor), 1e-5);
    }

    // A photo without a face has no descriptor.
    const ReducedPhoto back = ReadReducedPhoto(TestData("jpeg/photos/Portrait_1.jpg"), 480);
    EXPECT_FALSE(ExaminePortrait(detector, describer, *back.pixels, back.upright).descriptor.has_value());
}

// A copy of the model in a folder of its own, named in Chinese with a space,
// as an installation folder may be.
class ModelCopy {
public:
    ModelCopy() : folder_(scratch_.Path() / fs::path(u8"人脸 模型"))
    {
        fs::create_directories(folder_);
        const fs::path model = FaceDescriber::DefaultModelFile();
        manifest_ = folder_ / model.filename();
        weights_ = folder_ / "face_recognition_model.bin";
        fs::copy_file(model, manifest_);
        fs::copy_file(model.parent_path() / "face_recognition_model.bin", weights_);
    }
    const fs::path& Manifest() const { return manifest_; }
    const fs::path& Weights() const { return weights_; }

    // Replaces the first `from` of the manifest's text with `to`.
    void EditManifest(const std::string& from, const std::string& to) const
    {
        const std::vector<std::uint8_t> bytes = ReadBytes(manifest_);
        std::string text(bytes.begin(), bytes.end());
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        std::ofstream(manifest_, std::ios::binary | std::ios::trunc) << text;
    }
    void ResizeWeights(std::uintmax_t size) const { fs::resize_file(weights_, size); }

private:
    ScratchFolder scratch_;
    fs::path folder_;
    fs::path manifest_;
    fs::path weights_;
};

TEST(FaceDescriber, ReadsItsModelFromAFolderNamedInChinese)
{
    const ModelCopy copy;
    FaceDescriber describer(copy.Manifest());
    const std::vector<ReferenceDescriptor> references = ReadReferences();
    ASSERT_FALSE(references.empty());
    const FaceDescriptor ours = describer.Describe(ReadCrop(kReferenceFolder / references.front().crop));
    EXPECT_LT(DescriptorDistance(ours, references.front().descriptor), 1e-3);
}

TEST(FaceDescriber, RefusesAMissingOrDamagedModelNamingTheFile)
{
    constexpr std::uintmax_t kWeightBytes = 6444032;
    const struct {
        const char* what;
        std::function<void(const ModelCopy&)> damage;
        // The message after "人脸特征模型…：" and the file's name.
        std::string message;
        bool namesWeights;
    } rows[] = {
        {"no manifest", [](const ModelCopy& m) { fs::remove(m.Manifest()); }, "无法载入：", false},
        {"no weights", [](const ModelCopy& m) { fs::remove(m.Weights()); }, "无法载入：", true},
        {"weights a byte short", [](const ModelCopy& m) { m.ResizeWeights(kWeightBytes - 1); },
         "已损坏：（权重文件共 6444031 字节，清单所列张量需要 6444032 字节）", true},
        {"weights a byte long", [](const ModelCopy& m) { m.ResizeWeights(kWeightBytes + 1); },
         "已损坏：（权重文件共 6444033 字节，清单所列张量需要 6444032 字节）", true},
        {"manifest cut short", [](const ModelCopy& m) { m.EditManifest("\"fc\"", "\"fc"); }, "已损坏：（清单无法解析）",
         false},
        {"weights named outside the folder",
         [](const ModelCopy& m) {
             m.EditManifest("\"face_recognition_model.bin\"", "\"../face_recognition_model.bin\"");
         },
         "已损坏：（权重文件名无效：../face_recognition_model.bin）", false},
        {"a tensor missing", [](const ModelCopy& m) { m.EditManifest("\"name\":\"fc\"", "\"name\":\"fd\""); },
         "已损坏：（缺少张量 fc）", false},
        {"a tensor named twice",
         [](const ModelCopy& m) { m.EditManifest("\"name\":\"fc\"", "\"name\":\"conv32_down/conv/bias\""); },
         "已损坏：（张量 conv32_down/conv/bias 出现两次）", false},
        {"a tensor of another shape",
         [](const ModelCopy& m) { m.EditManifest("\"shape\":[256,128]", "\"shape\":[128,256]"); },
         "已损坏：（张量 fc 的形状不符）", false},
        {"a tensor far too large",
         [](const ModelCopy& m) { m.EditManifest("\"shape\":[256,128]", "\"shape\":[65536,65536]"); },
         "已损坏：（张量 fc 的形状无效）", false},
        {"half-precision values",
         [](const ModelCopy& m) { m.EditManifest("\"dtype\":\"float32\"", "\"dtype\":\"float16\""); },
         "已损坏：（张量 conv32_down/conv/filters 的类型不受支持）", false},
        {"16-bit quantisation",
         [](const ModelCopy& m) { m.EditManifest("\"dtype\":\"uint8\"", "\"dtype\":\"uint16\""); },
         "已损坏：（张量 conv32_down/conv/filters 的量化类型不受支持）", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ModelCopy copy;
        row.damage(copy);
        const std::string file = Utf8(row.namesWeights ? copy.Weights() : copy.Manifest());
        // The detail, if any, follows the file's name.
        const std::size_t detail = row.message.find("（");
        const std::string expected = "人脸特征模型" + row.message.substr(0, detail) + file
                                     + (detail == std::string::npos ? "" : row.message.substr(detail));
        EXPECT_EQ(ErrorOf<EFaceDescriberUnavailable>([&] { FaceDescriber describer(copy.Manifest()); }), expected);
    }
}

} // namespace
