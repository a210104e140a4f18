#pragma once

#include <array>
#include <cstddef>

// What a face looks like, as 128 numbers from the face descriptor network
// (FaceDescriber.h): photos of one person lie close together, photos of
// different people far apart, whatever the light, the pose or the camera.
inline constexpr std::size_t kDescriptorSize = 128;
using FaceDescriptor = std::array<float, kDescriptorSize>;

// Below this Euclidean distance two faces are taken for one person. On the
// labelled faces of bench/faces (face_descriptor_bench) it takes every pair
// of one person's photos (the farthest 0.59 apart) and 5 % of the pairs of
// different people, so a match says "perhaps the same", never "surely". No
// tighter value should be used: it would begin to miss one person in other
// light or another year.
inline constexpr double kSamePersonDistance = 0.6;

// Below this distance two faces are clearly one person's: nearer than
// almost any two different people come (0.06 % of the pairs of different
// people of the labelled faces, against 5 % under kSamePersonDistance), as
// one person's photos mostly do. The row checks ask for it before they
// speak of a shift or of another student's face: classes given new photos
// of people not in them at all (another class's) then show a shifted block
// once in three hundred rather than once in fourteen, and the shifts found
// stay as many (face_descriptor_bench).
inline constexpr double kClearMatchDistance = 0.5;

// The Euclidean distance between two descriptors.
double DescriptorDistance(const FaceDescriptor& a, const FaceDescriptor& b);

// Whether two faces may be one person's: their distance is under
// kSamePersonDistance.
bool SamePerson(const FaceDescriptor& a, const FaceDescriptor& b);
