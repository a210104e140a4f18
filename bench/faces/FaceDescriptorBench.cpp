// The face descriptor on the labelled faces of tests/data/faces (AT&T
// Laboratories Cambridge's: 40 people, 4 photos each): how often it tells
// people apart, what the row checks find in seeded classes, and its time.
//   face_descriptor_bench [CLASSES]         the figures, over CLASSES classes per case (1000)
//   face_descriptor_bench --crop PHOTO OUT  the square the tool describes PHOTO's largest
//                                           face from, as a 150 x 150 binary PPM (P6)
// Everything runs on one core (OpenCV's own threads off).
#include "LabelledFaces.h"
#include "faces/DescriptorCrop.h"
#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "faces/OpenCvThreads.h"
#include "faces/ReducedPhoto.h"
#include "faces/RepeatedFaces.h"
#include "picture/TBitmap.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kClassSize = 20;
constexpr std::int32_t kReducedShortSide = 480;

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Percent(std::size_t part, std::size_t whole)
{
    return whole == 0 ? 0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

void Recognition(const LabelledSet& set)
{
    std::size_t found = 0;
    for (const auto& person : set.faces)
        found += static_cast<std::size_t>(
            std::count_if(person.begin(), person.end(), [](const RowFace& f) { return f.has_value(); }));
    std::printf("labelled set: %zu photos of %zu people, a face found in %zu\n", kLabelledPeople * kPhotosPerPerson,
                kLabelledPeople, found);

    // Right person first: each photo against one photo of every person (the
    // current photos of a class of everyone), each photo number in turn.
    std::size_t right = 0;
    std::size_t asked = 0;
    for (std::size_t gallery = 0; gallery < kPhotosPerPerson; ++gallery) {
        for (std::size_t person = 0; person < kLabelledPeople; ++person) {
            for (std::size_t photo = 0; photo < kPhotosPerPerson; ++photo) {
                const RowFace& face = set.faces[person][photo];
                if (photo == gallery || !face)
                    continue;
                std::size_t best = kLabelledPeople;
                double bestDistance = 0;
                for (std::size_t other = 0; other < kLabelledPeople; ++other) {
                    const RowFace& candidate = set.faces[other][gallery];
                    if (!candidate)
                        continue;
                    const double distance = DescriptorDistance(*face, *candidate);
                    if (best == kLabelledPeople || distance < bestDistance) {
                        best = other;
                        bestDistance = distance;
                    }
                }
                right += best == person;
                ++asked;
            }
        }
    }
    std::printf("right person first among one photo of each: %.2f %% of %zu\n", Percent(right, asked), asked);

    std::vector<double> same;
    std::vector<double> different;
    for (std::size_t a = 0; a < kLabelledPeople * kPhotosPerPerson; ++a) {
        for (std::size_t b = a + 1; b < kLabelledPeople * kPhotosPerPerson; ++b) {
            const RowFace& x = set.faces[a / kPhotosPerPerson][a % kPhotosPerPerson];
            const RowFace& y = set.faces[b / kPhotosPerPerson][b % kPhotosPerPerson];
            if (x && y)
                (a / kPhotosPerPerson == b / kPhotosPerPerson ? same : different).push_back(DescriptorDistance(*x, *y));
        }
    }
    std::sort(same.begin(), same.end());
    std::sort(different.begin(), different.end());
    auto under = [](const std::vector<double>& values, double limit) {
        return static_cast<std::size_t>(std::lower_bound(values.begin(), values.end(), limit) - values.begin());
    };
    std::printf("same person under %.2f: %.2f %% of %zu pairs (largest %.3f); under %.2f: %.1f %%\n",
                kSamePersonDistance, Percent(under(same, kSamePersonDistance), same.size()), same.size(), same.back(),
                kRetakeDistance, Percent(under(same, kRetakeDistance), same.size()));
    std::printf("different people under %.2f: %.2f %% of %zu pairs; under %.2f: %.3f %% (smallest %.3f)\n",
                kSamePersonDistance, Percent(under(different, kSamePersonDistance), different.size()), different.size(),
                kRetakeDistance, Percent(under(different, kRetakeDistance), different.size()), different.front());
    for (double limit = 0.3; limit < 0.8; limit += 0.001) {
        const double falseAccepts = Percent(under(different, limit), different.size());
        const double falseRejects = 100 - Percent(under(same, limit), same.size());
        if (falseAccepts >= falseRejects) {
            std::printf("equal error rate: %.2f %% at %.3f\n", (falseAccepts + falseRejects) / 2, limit);
            break;
        }
    }
}

// Whether `blocks` hold one in `direction` that overlaps rows [first, first + rows).
bool Found(const std::vector<ShiftedBlock>& blocks, std::size_t first, std::size_t rows, ShiftDirection direction)
{
    return std::any_of(blocks.begin(), blocks.end(), [&](const ShiftedBlock& b) {
        return b.direction == direction && b.first < first + rows && b.last >= first;
    });
}

void Shifts(const LabelledSet& set, std::size_t classes)
{
    std::mt19937 random(20240601);
    std::size_t alarmed = 0;
    std::size_t retakeAlarms = 0;
    std::size_t neighbours = 0;
    for (std::size_t c = 0; c < classes; ++c) {
        const std::vector<Student> students = DrawClass(kClassSize, random);
        const ClassFaces faces = FacesOf(set, students, Shifted(kClassSize, 0, 0, ShiftDirection::Down));
        alarmed += !FindShiftedBlocks(faces.newFaces, faces.currentFaces).empty();
        retakeAlarms += FindRepeatedNeighbours(faces.newFaces).size();
        neighbours += kClassSize - 1;
    }
    std::printf("in-order classes of %zu with a shifted block: %zu of %zu\n", kClassSize, alarmed, classes);
    std::printf("in-order neighbours taken for a retake: %zu of %zu\n", retakeAlarms, neighbours);

    for (const std::size_t rows : {2, 3, 4, 6}) {
        for (const ShiftDirection direction : {ShiftDirection::Down, ShiftDirection::Up}) {
            std::size_t found = 0;
            std::size_t exact = 0;
            std::size_t elsewhere = 0;
            for (std::size_t c = 0; c < classes; ++c) {
                const std::vector<Student> students = DrawClass(kClassSize, random);
                // Anywhere the shift fits: from row 1 up, to the row before last down.
                const std::size_t first = 1 + random() % (kClassSize - rows - 1);
                const ClassFaces faces = FacesOf(set, students, Shifted(kClassSize, first, rows, direction));
                const std::vector<ShiftedBlock> blocks = FindShiftedBlocks(faces.newFaces, faces.currentFaces);
                found += Found(blocks, first, rows, direction);
                exact += std::find(blocks.begin(), blocks.end(), ShiftedBlock{first, first + rows - 1, direction})
                         != blocks.end();
                elsewhere +=
                    static_cast<std::size_t>(std::count_if(blocks.begin(), blocks.end(), [&](const ShiftedBlock& b) {
                        return !Found({b}, first, rows, direction);
                    }));
            }
            std::printf("%zu-row blocks shifted %s: found %.1f %%, exactly %.1f %%, other blocks told %zu, of %zu\n",
                        rows, direction == ShiftDirection::Down ? "down" : "up", Percent(found, classes),
                        Percent(exact, classes), elsewhere, classes);
        }
    }

    // Classes where a fifth of the students have no current photo (new to
    // the school), and classes whose new photos are all of other people.
    std::size_t missingAlarmed = 0;
    std::size_t missingFound = 0;
    std::size_t strangerAlarmed = 0;
    for (std::size_t c = 0; c < classes; ++c) {
        const std::vector<Student> students = DrawClass(kClassSize, random);
        ClassFaces faces = FacesOf(set, students, Shifted(kClassSize, 0, 0, ShiftDirection::Down));
        for (RowFace& face : faces.currentFaces) {
            if (random() % 5 == 0)
                face.reset();
        }
        missingAlarmed += !FindShiftedBlocks(faces.newFaces, faces.currentFaces).empty();
        constexpr std::size_t kRows = 3;
        const std::size_t first = 1 + random() % (kClassSize - kRows - 1);
        ClassFaces shifted = FacesOf(set, students, Shifted(kClassSize, first, kRows, ShiftDirection::Down));
        shifted.currentFaces = faces.currentFaces;
        missingFound +=
            Found(FindShiftedBlocks(shifted.newFaces, shifted.currentFaces), first, kRows, ShiftDirection::Down);

        // The other half of the set's people, and other photos, as the new ones.
        const std::vector<Student> others = DrawClass(kLabelledPeople, random);
        ClassFaces strangers = faces;
        for (std::size_t i = 0; i < kClassSize; ++i) {
            const Student& student = others[i];
            const bool inClass = std::any_of(students.begin(), students.end(),
                                             [&](const Student& s) { return s.person == student.person; });
            strangers.newFaces[i] = inClass ? RowFace() : set.faces[student.person][student.newPhoto];
        }
        strangerAlarmed += !FindShiftedBlocks(strangers.newFaces, strangers.currentFaces).empty();
    }
    std::printf("a fifth of the current photos missing: in-order classes with a block %zu of %zu, "
                "3-row blocks found %.1f %%\n",
                missingAlarmed, classes, Percent(missingFound, classes));
    std::printf("new photos all of people not in the class: classes with a block %zu of %zu\n", strangerAlarmed,
                classes);

    for (const std::size_t size : {3, 5}) {
        std::size_t found = 0;
        for (std::size_t c = 0; c < classes; ++c) {
            const std::vector<Student> students = DrawClass(size, random);
            // The first photo left out: every row but the last gets the next
            // student's photo, and the last another person's.
            std::vector<std::size_t> newPhotoOf = Shifted(size, 0, size - 1, ShiftDirection::Down);
            ClassFaces faces = FacesOf(set, students, newPhotoOf);
            faces.newFaces.back() = set.faces[(students.back().person + 1 + random() % (kLabelledPeople - 1))
                                              % kLabelledPeople][random() % kPhotosPerPerson];
            found += Found(FindShiftedBlocks(faces.newFaces, faces.currentFaces), 0, size - 1, ShiftDirection::Down);
        }
        std::printf("classes of %zu with the first photo left out: the shift found in %.1f %% of %zu\n", size,
                    Percent(found, classes), classes);
    }
}

// Wall time and the process's processor time: on a machine shared with
// other work the first grows, the second stays what the work costs.
struct Spent {
    Clock::duration wall{};
    std::clock_t processor = 0;
};

template <class Work> void Measure(Spent& spent, Work&& work)
{
    const Clock::time_point start = Clock::now();
    const std::clock_t startProcessor = std::clock();
    work();
    spent.processor += std::clock() - startProcessor;
    spent.wall += Clock::now() - start;
}

std::string Each(const Spent& spent, int times)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f ms (processor %.1f ms)", Milliseconds(spent.wall) / times,
                  1000.0 * static_cast<double>(spent.processor) / CLOCKS_PER_SEC / times);
    return text;
}

void Times()
{
    constexpr int kLoads = 10;
    Spent reading;
    Spent building;
    for (int i = 0; i < kLoads; ++i) {
        NetworkWeights weights;
        Measure(reading, [&] { weights = ReadTfjsWeights(FaceDescriber::DefaultModelFile()); });
        Measure(building, [&] { const FaceDescriber describer(weights); });
    }
    std::printf("loading, per describer: reading the model %s, building the network with its first run %s\n",
                Each(reading, kLoads).c_str(), Each(building, kLoads).c_str());

    FaceDetector detector;
    FaceDescriber describer;
    const std::filesystem::path portrait = std::filesystem::path(SP_TESTDATA_DIR) / "jpeg" / "photos" / "obama.jpg";
    const ReducedPhoto photo = ReadReducedPhoto(portrait, kReducedShortSide);
    constexpr int kRounds = 50;
    Spent detecting;
    Spent describing;
    for (int i = 0; i < kRounds; ++i) {
        std::optional<TRect> face;
        Measure(detecting, [&] { face = detector.LargestFace(*photo.pixels); });
        if (face)
            Measure(describing, [&] { describer.Describe(*photo.pixels, *face); });
    }
    std::printf("per face of a %dx%d portrait: detection %s, crop and descriptor %s\n", photo.pixels->Width(),
                photo.pixels->Height(), Each(detecting, kRounds).c_str(), Each(describing, kRounds).c_str());
}

int Crop(const char* photoFile, const char* outFile)
{
    FaceDetector detector;
    const ReducedPhoto photo = ReadReducedPhoto(photoFile, kReducedShortSide);
    const std::optional<TRect> face = detector.LargestFace(*photo.pixels);
    if (!face) {
        std::fprintf(stderr, "no face in %s\n", photoFile);
        return 1;
    }
    const DescriptorCrop crop = CropForDescriptor(*photo.pixels, *face);
    std::ofstream out(outFile, std::ios::binary);
    out << "P6\n" << kDescriptorCropSide << ' ' << kDescriptorCropSide << "\n255\n";
    out.write(reinterpret_cast<const char*>(crop.rgb.data()), static_cast<std::streamsize>(crop.rgb.size()));
    return out ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    KeepOpenCvOnCallingThreads();
    if (argc == 4 && std::string(argv[1]) == "--crop")
        return Crop(argv[2], argv[3]);
    const std::size_t classes = argc == 2 ? std::strtoul(argv[1], nullptr, 10) : 1000;
    if (argc > 2 || classes == 0) {
        std::fprintf(stderr, "usage: face_descriptor_bench [CLASSES] | --crop PHOTO OUT.ppm\n");
        return 2;
    }
    FaceDetector detector;
    FaceDescriber describer;
    const LabelledSet set = DescribeLabelledSet(detector, describer);
    Recognition(set);
    Shifts(set, classes);
    Times();
    return 0;
}
