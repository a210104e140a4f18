// The row rules on descriptors, case by case, with made descriptors whose
// distances are known: one person's photos 0.35 apart, different people's
// 1.4 and more. How well the rules work on real faces is
// LabelledFacesTest.cpp's.
#include "faces/ShiftedBlocks.h"

#include "faces/OtherStudentsFaces.h"
#include "faces/RepeatedFaces.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Person p's photo v: 1 at p, 0.25 at 64 + v.
RowFace Face(std::size_t person, std::size_t photo = 0)
{
    FaceDescriptor d{};
    d[person] = 1;
    d[64 + photo] = 0.25F;
    return d;
}

// A class of `count` students 0, 1, 2 …: the current photos are photo 0 of
// each, and row i's new photo is photo 1 of the student newOf[i] (none for
// a negative value; a value from 100 on is someone not in the class).
struct Class {
    std::vector<RowFace> newFaces;
    std::vector<RowFace> currentFaces;
};
Class MakeClass(const std::vector<int>& newOf)
{
    Class made;
    for (std::size_t i = 0; i < newOf.size(); ++i) {
        made.currentFaces.push_back(Face(i));
        made.newFaces.push_back(newOf[i] < 0 ? RowFace() : Face(static_cast<std::size_t>(newOf[i] % 64), 1));
    }
    return made;
}

std::string Text(const std::vector<ShiftedBlock>& blocks)
{
    std::string text;
    for (const ShiftedBlock& b : blocks)
        text += std::to_string(b.first) + "-" + std::to_string(b.last)
                + (b.direction == ShiftDirection::Down ? " down; " : " up; ");
    return text;
}

TEST(ShiftedBlocks, AreRunsOfRowsLikeTheirNeighboursCurrentPhotos)
{
    const struct {
        const char* what;
        std::vector<int> newOf;
        std::string blocks;
    } rows[] = {
        {"in order", {0, 1, 2, 3, 4, 5}, ""},
        {"rows 2 to 4 one down (a photo left out, one too many after)", {0, 1, 3, 4, 5, 5, 6}, "2-4 down; "},
        {"rows 1 to 3 one up", {0, 0, 1, 2, 4, 5}, "1-3 up; "},
        {"three students, the first photo left out", {1, 2, 107}, "0-1 down; "},
        {"shifted to the end", {0, 1, 3, 4, 5, 105}, "2-4 down; "},
        {"shifted from the start", {1, 2, 3, 3, 4}, "0-2 down; "},
        {"a single row is no block", {0, 2, 102, 3, 4}, ""},
        {"two students swapped", {0, 2, 1, 3, 4}, ""},
        {"a row without a face inside a block", {0, 2, -1, 4, 5, 5}, "1-4 down; "},
        {"a stranger inside a block", {0, 2, 3, 103, 5, 6, 6}, "1-5 down; "},
        {"down, then up", {1, 2, 2, 3, 4, 4, 5}, "0-1 down; 5-6 up; "},
        {"a row in order between two shifted ones", {1, 1, 3, 4}, ""},
        {"every new photo a stranger's", {100, 101, 102, 103}, ""},
        {"no new faces", {-1, -1, -1}, ""},
        {"no students", {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Class made = MakeClass(row.newOf);
        EXPECT_EQ(Text(FindShiftedBlocks(made.newFaces, made.currentFaces)), row.blocks);
    }
}

TEST(ShiftedBlocks, LookOnlyAtTheRowsBothListsHaveAndPastMissingCurrentPhotos)
{
    Class made = MakeClass({0, 2, 3, 4, 5, 5});
    ASSERT_EQ(Text(FindShiftedBlocks(made.newFaces, made.currentFaces)), "1-4 down; ");
    // A student with no current photo: the row before has nothing to match
    // and tells nothing; the block goes on past it.
    made.currentFaces[3].reset();
    EXPECT_EQ(Text(FindShiftedBlocks(made.newFaces, made.currentFaces)), "1-4 down; ");
    // Rows beyond the shorter list are not looked at.
    made.currentFaces.resize(3);
    EXPECT_EQ(Text(FindShiftedBlocks(made.newFaces, made.currentFaces)), "");
}

TEST(ShiftedBlocks, NeedOneRowClearlyTheSamePerson)
{
    // Two rows whose new faces are 0.56 from the next row's current face:
    // under the same-person distance, but neither clearly the same.
    Class made = MakeClass({0, 1, 2, 3});
    auto near = [](std::size_t person) {
        FaceDescriptor d{};
        d[person] = 1;
        d[70] = 0.5F;
        return d;
    };
    made.newFaces[0] = near(1);
    made.newFaces[1] = near(2);
    ASSERT_LT(DescriptorDistance(*made.newFaces[0], *made.currentFaces[1]), kSamePersonDistance);
    EXPECT_EQ(Text(FindShiftedBlocks(made.newFaces, made.currentFaces)), "");
    made.newFaces[1] = Face(2, 1);
    EXPECT_EQ(Text(FindShiftedBlocks(made.newFaces, made.currentFaces)), "0-1 down; ");
}

TEST(RepeatedNeighbours, AreRowsWhoseFaceIsNearlyThePreviousRowsOwn)
{
    // Photos 0 and 1 of a person are 0.35 apart: near-identical; photo 1 and
    // photo 2 moved a further 0.3 away are 0.46 apart: the same person, but
    // not a retake.
    RowFace other = Face(1, 2);
    (*other)[90] = 0.3F;
    const std::vector<RowFace> faces = {Face(0, 0), Face(0, 1), Face(1, 0), RowFace(), Face(1, 1), other, Face(2)};
    ASSERT_GT(DescriptorDistance(*faces[4], *faces[5]), kRetakeDistance);
    EXPECT_EQ(FindRepeatedNeighbours(faces), (std::vector<std::size_t>{1}));
    EXPECT_TRUE(FindRepeatedNeighbours({}).empty());
}

TEST(OtherStudentsFaces, AreNewFacesOfOtherStudentsNotOfTheirOwn)
{
    using Found = std::vector<OtherStudentsFace>;
    const struct {
        const char* what;
        std::vector<int> newOf;
        std::vector<int> withoutCurrent; // rows whose student has no current photo
        Found found;
    } rows[] = {
        {"in order", {0, 1, 2, 3}, {}, {}},
        {"two students far apart swapped", {0, 3, 2, 1, 4}, {}, {{1, {3}}, {3, {1}}}},
        {"a stranger's photo", {0, 101, 2}, {}, {}},
        {"another student's photo where the own student has none", {0, 2, 2}, {1}, {}},
        {"the student shown has no current photo", {0, 2, 2}, {2}, {}},
        {"two rows showing one other student", {0, 3, 3, 3}, {}, {{1, {3}}, {2, {3}}}},
        {"no faces", {-1, -1}, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Class made = MakeClass(row.newOf);
        for (const int i : row.withoutCurrent)
            made.currentFaces[static_cast<std::size_t>(i)].reset();
        EXPECT_EQ(FindOtherStudentsFaces(made.newFaces, made.currentFaces), row.found);
    }

    // Of several students near enough, the nearest comes first.
    const std::vector<RowFace> currentFaces{Face(0), Face(1), Face(1, 3)};
    const std::vector<RowFace> newFaces{Face(1, 3), Face(1), Face(2)};
    EXPECT_EQ(FindOtherStudentsFaces(newFaces, currentFaces), (Found{{0, {2, 1}}}));
}

} // namespace
