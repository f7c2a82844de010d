// Tests of the visible-face set: each face once, ascending order, reuse without growth.
#include <gtest/gtest.h>

#include <vector>

#include "render/face_set.h"

using namespace Tamrik;

namespace {

std::vector<int32_t> Members(const CFaceSet& set)
{
    std::vector<int32_t> out;
    for (int32_t face : set)
        out.push_back(face);
    return out;
}

TEST(FaceSet, KeepsEachFaceOnceInAscendingOrder)
{
    CFaceSet set;
    for (int32_t face : {130, 5, 64, 63, 5, 0, 130, 127, 128})
        set.insert(face);
    EXPECT_EQ(Members(set), (std::vector<int32_t>{0, 5, 63, 64, 127, 128, 130}));
    EXPECT_EQ(set.size(), 7u);
    EXPECT_TRUE(set.contains(64));
    EXPECT_FALSE(set.contains(65));
    EXPECT_FALSE(set.contains(100000));
}

TEST(FaceSet, IgnoresNegativeIndices)
{
    CFaceSet set;
    set.insert(-1);
    set.insert(-64);
    EXPECT_TRUE(set.empty());
    EXPECT_EQ(set.begin(), set.end());
    EXPECT_FALSE(set.contains(-1));
}

TEST(FaceSet, ClearingEmptiesItAndItRefillsDifferently)
{
    CFaceSet set;
    set.reserve(1000);
    for (int32_t face = 0; face < 1000; face += 3)
        set.insert(face);
    set.clear();
    EXPECT_TRUE(set.empty());
    EXPECT_EQ(set.begin(), set.end());
    set.insert(999);
    set.insert(1);
    EXPECT_EQ(Members(set), (std::vector<int32_t>{1, 999}));
}

} // namespace
