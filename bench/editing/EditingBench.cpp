// The capture window's picture steps at the sizes its users reach: quarter
// turns from 320 by 240 up to a zoomed 3840 by 2160 picture, and zooms
// of a 1,280 by 960 picture, each on the picture of a real Image control so
// that the change reports to the widget are paid for too. Run by hand:
//   build/bench/editing/capture_editing_bench
#include "editing/PictureEditing.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "picture/TPicture.h"
#include "widgets/TImage.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// A picture of the given size with a different colour in every pixel.
void FillMarked(TBitmap& bitmap, std::int32_t width, std::int32_t height)
{
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            bitmap.Canvas().SetPixel(x, y, (x * 7919 + y * 104729) & 0xFFFFFF);
}

void QuarterTurnBench(benchmark::State& state, std::int32_t width, std::int32_t height)
{
    TImage image;
    image.resize(width, height);
    TBitmap start;
    FillMarked(start, width, height);
    image.Picture().SetGraphic(&start);
    PictureArea area{image.Picture(), width, height};
    for (auto _ : state) {
        QuarterTurn(area, TurnDirection::Left);
        benchmark::DoNotOptimize(image.Picture().Graphic());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}

void ZoomBench(benchmark::State& state, ZoomDirection direction)
{
    TImage image;
    TBitmap start;
    FillMarked(start, 1280, 960);
    for (auto _ : state) {
        state.PauseTiming();
        image.Picture().SetGraphic(&start); // shares the pixels: no copy
        PictureArea area{image.Picture(), 1280, 960};
        state.ResumeTiming();
        if (!Zoom(area, direction))
            state.SkipWithError("zoom refused");
        benchmark::DoNotOptimize(area.Width);
    }
}

void HalfSizeBench(benchmark::State& state)
{
    TImage image;
    TBitmap frame;
    FillMarked(frame, 640, 480);
    for (auto _ : state) {
        state.PauseTiming();
        image.Picture().SetGraphic(&frame);
        PictureArea area{image.Picture(), 320, 290};
        state.ResumeTiming();
        HalfSizeRedraw(area);
        benchmark::DoNotOptimize(area.Width);
    }
}

} // namespace

BENCHMARK_CAPTURE(QuarterTurnBench, 3840x2160, 3840, 2160)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(QuarterTurnBench, 1920x1080, 1920, 1080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(QuarterTurnBench, 640x480, 640, 480)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(QuarterTurnBench, 320x240, 320, 240)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ZoomBench, in_1280x960, ZoomDirection::In)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ZoomBench, out_1280x960, ZoomDirection::Out)->Unit(benchmark::kMillisecond);
BENCHMARK(HalfSizeBench)->Name("HalfSizeRedraw/640x480")->Unit(benchmark::kMillisecond);

int main(int argc, char* argv[])
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
