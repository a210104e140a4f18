// Where the face model is found, and that it loads from any folder.
#include "faces/FaceModel.h"

#include "faces/FaceDetector.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, named in Chinese with a
// space, as an installation folder may be; removed at the end.
class ModelFolder {
public:
    ModelFolder()
        : path_(fs::temp_directory_path() / fs::path(u8"人脸 模型")
                / std::to_string(::testing::UnitTest::GetInstance()->random_seed()))
    {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ModelFolder() { fs::remove_all(path_.parent_path()); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

TEST(FaceModel, IsTheFileBesideTheProgramWhenItIsThere)
{
    const ModelFolder folder;
    const fs::path installed = FaceModelFile(folder.Path());
#ifdef _WIN32
    // Windows has no other place: a missing model is named where it belongs.
    EXPECT_EQ(installed, folder.Path() / kFaceModelFileName);
#else
    // Elsewhere the copy OpenCV's data installed.
    EXPECT_NE(installed.parent_path(), folder.Path());
    EXPECT_TRUE(fs::is_regular_file(installed)) << installed;
#endif
    std::ofstream(folder.Path() / kFaceModelFileName) << "<?xml version=\"1.0\"?>";
    EXPECT_EQ(FaceModelFile(folder.Path()), folder.Path() / kFaceModelFileName);
}

TEST(FaceModel, TheRunningProgramsFolderHoldsThisTest)
{
    const fs::path folder = RunningProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::exists(folder / "faces_tests") || fs::exists(folder / "faces_tests.exe")) << folder;
}

TEST(FaceModel, LoadsFromAFolderNamedInChineseWithASpace)
{
    const ModelFolder folder;
    const fs::path model = folder.Path() / kFaceModelFileName;
    fs::copy_file(FaceDetector::DefaultCascadeFile(), model);
    EXPECT_NO_THROW(FaceDetector detector(model));

    const fs::path missing = folder.Path() / "没有.xml";
    try {
        FaceDetector detector(missing);
        FAIL() << "a missing model loaded";
    } catch (const EFaceDetectorUnavailable& error) {
        EXPECT_EQ(std::string(error.what()), "人脸检测模型无法载入：" + Utf8Name(missing));
    }
}

} // namespace
