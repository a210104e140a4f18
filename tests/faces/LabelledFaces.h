#pragma once
// The labelled faces of tests/data/faces/ (AT&T Laboratories Cambridge's
// photos: 40 people, 4 photos each) described as the tool describes a
// portrait, and classes made of them for the row checks: shared by the
// descriptor's tests and its bench.

#include "faces/ShiftedBlocks.h"

#include <cstddef>
#include <filesystem>
#include <random>
#include <vector>

class FaceDescriber;
class FaceDetector;

inline constexpr std::size_t kLabelledPeople = 40;
inline constexpr std::size_t kPhotosPerPerson = 4;

// The photo file of `person` (0 to 39), `photo` (0 to 3).
std::filesystem::path LabelledPhotoFile(std::size_t person, std::size_t photo);

// A photo's largest face's descriptor, as the proof sheet's face checks take
// it (ReadReducedPhoto, then ExaminePortrait). The labelled photos are cut
// tight around the face, tighter than the detector's cascade can find faces
// in: each gets a black border of kLabelledBorder pixels first, as a
// portrait's background around the head. Real photos are described as they
// are.
inline constexpr int kLabelledBorder = 20;
RowFace DescribeLabelledPhoto(FaceDetector& detector, FaceDescriber& describer, const std::filesystem::path& file);

// faces[person][photo], nothing where no face was found.
struct LabelledSet {
    std::vector<std::vector<RowFace>> faces;
};
LabelledSet DescribeLabelledSet(FaceDetector& detector, FaceDescriber& describer);

// A class: each row's student (a person of the set), the photo the site
// holds for them now and the new one, always another photo of the person.
struct Student {
    std::size_t person = 0;
    std::size_t currentPhoto = 0;
    std::size_t newPhoto = 0;
};
// `count` students, different people drawn at random.
std::vector<Student> DrawClass(std::size_t count, std::mt19937& random);

// The rows' faces when row i is given the new photo of student
// `newPhotoOf[i]` (in order: newPhotoOf[i] == i).
struct ClassFaces {
    std::vector<RowFace> newFaces;
    std::vector<RowFace> currentFaces;
};
ClassFaces FacesOf(const LabelledSet& set, const std::vector<Student>& students,
                   const std::vector<std::size_t>& newPhotoOf);

// newPhotoOf for a class of `count` in order, but for `rows` rows from
// `first` that get the new photo of the student one row further in
// `direction`.
std::vector<std::size_t> Shifted(std::size_t count, std::size_t first, std::size_t rows, ShiftDirection direction);
