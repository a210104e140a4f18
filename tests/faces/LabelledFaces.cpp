#include "LabelledFaces.h"

#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "faces/PortraitExamination.h"
#include "faces/ReducedPhoto.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"

#include <cstring>
#include <numeric>
#include <string>

namespace {

// The photos copied from the set: the 1st, 4th, 7th and 10th of each person.
constexpr int kPhotoNumbers[kPhotosPerPerson] = {1, 4, 7, 10};
// As large as the face checks read a photo (FaceSurvey.cpp).
constexpr std::int32_t kReducedShortSide = 480;

} // namespace

std::filesystem::path LabelledPhotoFile(std::size_t person, std::size_t photo)
{
    return std::filesystem::path(SP_TESTDATA_DIR) / "faces" / "orl"
           / ("s" + std::to_string(person + 1) + "_" + std::to_string(kPhotoNumbers[photo]) + ".bmp");
}

RowFace DescribeLabelledPhoto(FaceDetector& detector, FaceDescriber& describer, const std::filesystem::path& file)
{
    const ReducedPhoto photo = ReadReducedPhoto(file, kReducedShortSide);
    const TBitmap& pixels = *photo.pixels;
    TBitmap framed;
    framed.SetSize(pixels.Width() + 2 * kLabelledBorder, pixels.Height() + 2 * kLabelledBorder);
    for (std::int32_t y = 0; y < framed.Height(); ++y)
        std::memset(framed.MutableScanLine(y), 0, framed.RowBytes());
    framed.Modified();
    framed.Canvas().StretchDraw(
        TRect{kLabelledBorder, kLabelledBorder, kLabelledBorder + pixels.Width(), kLabelledBorder + pixels.Height()},
        photo.pixels.get());
    const PictureSize size{framed.Width(), framed.Height()};
    return ExaminePortrait(detector, describer, framed, size).descriptor;
}

LabelledSet DescribeLabelledSet(FaceDetector& detector, FaceDescriber& describer)
{
    LabelledSet set;
    set.faces.resize(kLabelledPeople);
    for (std::size_t person = 0; person < kLabelledPeople; ++person) {
        for (std::size_t photo = 0; photo < kPhotosPerPerson; ++photo)
            set.faces[person].push_back(DescribeLabelledPhoto(detector, describer, LabelledPhotoFile(person, photo)));
    }
    return set;
}

std::vector<Student> DrawClass(std::size_t count, std::mt19937& random)
{
    // The raw numbers of the generator, which the standard fixes, rather than
    // its distributions, which each library makes its own way: the same
    // classes on every system.
    std::vector<std::size_t> people(kLabelledPeople);
    std::iota(people.begin(), people.end(), 0);
    std::vector<Student> students;
    for (std::size_t i = 0; i < count && i < kLabelledPeople; ++i) {
        std::swap(people[i], people[i + random() % (kLabelledPeople - i)]);
        Student student;
        student.person = people[i];
        student.currentPhoto = random() % kPhotosPerPerson;
        student.newPhoto = (student.currentPhoto + 1 + random() % (kPhotosPerPerson - 1)) % kPhotosPerPerson;
        students.push_back(student);
    }
    return students;
}

ClassFaces FacesOf(const LabelledSet& set, const std::vector<Student>& students,
                   const std::vector<std::size_t>& newPhotoOf)
{
    ClassFaces faces;
    for (std::size_t i = 0; i < students.size(); ++i) {
        const Student& fresh = students[newPhotoOf[i]];
        faces.newFaces.push_back(set.faces[fresh.person][fresh.newPhoto]);
        faces.currentFaces.push_back(set.faces[students[i].person][students[i].currentPhoto]);
    }
    return faces;
}

std::vector<std::size_t> Shifted(std::size_t count, std::size_t first, std::size_t rows, ShiftDirection direction)
{
    std::vector<std::size_t> newPhotoOf(count);
    std::iota(newPhotoOf.begin(), newPhotoOf.end(), 0);
    for (std::size_t i = first; i < first + rows && i < count; ++i)
        newPhotoOf[i] = direction == ShiftDirection::Down ? i + 1 : i - 1;
    return newPhotoOf;
}
