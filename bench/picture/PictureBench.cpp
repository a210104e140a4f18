// Figures for the picture component:
//  - a 12-megapixel JPEG loaded and drawn once onto a 120 x 180 surface (what
//    the batch resize does per photo), against libjpeg decoding the same file
//    to nowhere in this process and against `djpeg -outfile /dev/null` run as
//    a process (the floor for a full-size decoding);
//  - the same with the whole picture decoded first (what any other use pays);
//  - a quarter turn made of one GetPixel and one SetPixel per pixel;
//  - writing a resize output (120 x 180) or a camera frame (1920 x 1080) as
//    JPEG at quality 90, against writing it as BMP data;
//  - StretchDraw throughput.
// The photos come from bench/make-data.sh.
#include "picture/JpegWriter.h"
#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"
#include "picture/TPicture.h"

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

std::vector<std::filesystem::path> Photos()
{
    std::vector<std::filesystem::path> photos;
    const std::filesystem::path folder(SP_BENCH_DATA_DIR);
    if (!std::filesystem::is_directory(folder))
        return photos;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".jpg")
            photos.push_back(entry.path());
    std::sort(photos.begin(), photos.end());
    return photos;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Whether the photo is decoded whole before it is drawn (an assignment or a
// draw of another size would do that), or only as much as the draw samples.
enum class Decoding { AsDrawn, WholeFirst };

// Per photo: load by extension, one draw onto the surface that carries over.
void LoadAndDrawSmall(benchmark::State& state, const std::filesystem::path& photo, Decoding decoding)
{
    TBitmap surface;
    surface.SetWidth(120);
    surface.SetHeight(180);
    for (auto _ : state) {
        TPicture picture;
        picture.LoadFromFile(photo);
        if (decoding == Decoding::WholeFirst)
            static_cast<TJPEGImage*>(picture.Graphic())->DecodedBitmap();
        surface.Canvas().StretchDraw(TRect{0, 0, 120, 180}, picture.Graphic());
    }
    benchmark::DoNotOptimize(surface.Canvas().GetPixel(60, 90));
}

// libjpeg's full decoding with djpeg's settings into one reused row: the
// in-process floor for decoding a file at full size.
void LibjpegToNowhere(benchmark::State& state, const std::filesystem::path& photo)
{
    for (auto _ : state) {
        const std::vector<std::uint8_t> bytes = ReadBytes(photo);
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr errors{};
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        std::vector<JSAMPLE> row(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_components);
        JSAMPROW rows[1] = {row.data()};
        while (cinfo.output_scanline < cinfo.output_height)
            jpeg_read_scanlines(&cinfo, rows, 1);
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(row.data());
    }
}

// `djpeg -outfile /dev/null FILE` as a process, as the comparison is stated.
void DjpegProcess(benchmark::State& state, const std::filesystem::path& photo)
{
    const std::string file = photo.string();
    for (auto _ : state) {
        const char* argv[] = {"djpeg", "-outfile", "/dev/null", file.c_str(), nullptr};
        pid_t pid = 0;
        if (posix_spawnp(&pid, "djpeg", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
            state.SkipWithError("cannot run djpeg");
            return;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
}

// A quarter turn clockwise through single pixel reads and writes, as the
// capture window turns its picture.
void QuarterTurn(benchmark::State& state)
{
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    TBitmap source;
    source.SetSize(width, height);
    for (std::int32_t y = 0; y < height; y += 3)
        source.Canvas().SetPixel(y % width, y, RGB(static_cast<std::uint8_t>(y), 0, 0));
    TBitmap turned;
    turned.SetSize(height, width);
    int changes = 0;
    turned.SetOnChange([&] { ++changes; }); // as cheap as marking a widget dirty
    for (auto _ : state) {
        TCanvas& from = source.Canvas();
        TCanvas& to = turned.Canvas();
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x)
                to.SetPixel(height - 1 - y, x, from.GetPixel(x, y));
    }
    benchmark::DoNotOptimize(changes);
    state.SetItemsProcessed(state.iterations() * width * height);
}

// StretchDraw of a 32-bit surface: destination pixels per second.
void StretchDraw(benchmark::State& state)
{
    const auto sourceWidth = static_cast<std::int32_t>(state.range(0));
    const auto sourceHeight = static_cast<std::int32_t>(state.range(1));
    const auto destWidth = static_cast<std::int32_t>(state.range(2));
    const auto destHeight = static_cast<std::int32_t>(state.range(3));
    TBitmap source;
    source.SetSize(sourceWidth, sourceHeight);
    TBitmap target;
    target.SetSize(destWidth, destHeight);
    for (auto _ : state)
        target.Canvas().StretchDraw(TRect{0, 0, destWidth, destHeight}, &source);
    state.SetItemsProcessed(state.iterations() * destWidth * destHeight);
}

// A surface with a photo's detail: smooth shading and fine noise, which is
// what a JPEG encoder's cost follows.
void PaintPhotoLike(TBitmap& surface, std::int32_t width, std::int32_t height)
{
    surface.SetSize(width, height);
    std::uint32_t noise = 12345;
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = surface.MutableScanLine(y);
        for (std::int32_t x = 0; x < width; ++x) {
            noise = noise * 1103515245U + 12345U;
            const auto jitter = static_cast<int>(noise >> 28);
            row[x * 4] = static_cast<std::uint8_t>((x * 255 / width + jitter) & 0xFF);
            row[x * 4 + 1] = static_cast<std::uint8_t>((y * 255 / height + jitter) & 0xFF);
            row[x * 4 + 2] = static_cast<std::uint8_t>(((x + y) * 127 / (width + height) + 64 + jitter) & 0xFF);
        }
    }
    surface.Modified();
}

enum class OutputFormat { Jpeg, Bmp };

void WriteOutput(benchmark::State& state, OutputFormat format)
{
    TBitmap surface;
    PaintPhotoLike(surface, static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::vector<std::uint8_t> file;
        if (format == OutputFormat::Jpeg)
            file = EncodeJpeg(surface);
        else
            surface.SaveToStream(file);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

} // namespace

BENCHMARK_CAPTURE(WriteOutput, Jpeg, OutputFormat::Jpeg)
    ->Args({120, 180})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WriteOutput, Bmp, OutputFormat::Bmp)
    ->Args({120, 180})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(QuarterTurn)->Args({320, 240})->Args({4000, 3000})->Unit(benchmark::kMillisecond);
BENCHMARK(StretchDraw)
    ->Args({4000, 3000, 120, 180})
    ->Args({1200, 1800, 120, 180})
    ->Args({320, 240, 640, 480})
    ->Args({320, 240, 2000, 1500})
    ->Args({4000, 3000, 4000, 3000})
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    const std::vector<std::filesystem::path> photos = Photos();
    if (photos.empty())
        std::fputs("no photos in " SP_BENCH_DATA_DIR ": run bench/make-data.sh for the JPEG figures\n", stderr);
    for (const std::filesystem::path& photo : photos) {
        const std::string name = photo.stem().string();
        benchmark::RegisterBenchmark(("LoadAndDrawSmall/" + name).c_str(), LoadAndDrawSmall, photo, Decoding::AsDrawn)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("LoadDecodeFullAndDrawSmall/" + name).c_str(), LoadAndDrawSmall, photo,
                                     Decoding::WholeFirst)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("LibjpegToNowhere/" + name).c_str(), LibjpegToNowhere, photo)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("DjpegProcess/" + name).c_str(), DjpegProcess, photo)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
