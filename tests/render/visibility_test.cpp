// Tests of the camera's leaf and cluster, the vis-bit test, the face set and lights per leaf.
#include <gtest/gtest.h>

#include <vector>

#include "level/bsp_loader.h"
#include "level/entities.h"
#include "render/face_set.h"
#include "render/visibility.h"
#include "test_level.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

std::vector<int32_t> Members(const CFaceSet& set)
{
    std::vector<int32_t> out;
    for (int32_t face : set)
        out.push_back(face);
    return out;
}

// Three rooms along x split at x = 0 and x = 100: A (x < 0, cluster 0), B (0..100, cluster 1),
// C (x > 100, cluster 2). A sees B, B sees all, C sees only B.
class ThreeRooms : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 6; ++i)
            built.AddFace();
        const int32_t aMin[3] = {-100, -50, -50}, aMax[3] = {0, 50, 50};
        const int32_t bMin[3] = {0, -50, -50}, bMax[3] = {100, 50, 50};
        const int32_t cMin[3] = {100, -50, -50}, cMax[3] = {200, 50, 50};
        built.AddLeaf(0, aMin, aMax, {3, 0}, {});
        built.AddLeaf(1, bMin, bMax, {1, 3}, {});
        built.AddLeaf(2, cMin, cMax, {5, 2}, {});
        const int32_t at100 = built.AddPlane(1, 0, 0, 100);
        const int32_t at0 = built.AddPlane(1, 0, 0, 0);
        built.AddNode(at0, 1, -1);  // node 0: front to node 1, back is room A
        built.AddNode(at100, -3, -2); // node 1: front C, back B
        built.withVisdata = true;
        built.visVecs = 3;
        built.visSize = 1;
        built.visBytes = {0b011, 0b111, 0b110};
    }

    void Load() { built.LoadInto(level); }

    void AddLight(float x, float y, float z, int32_t state, int32_t id)
    {
        entities.lights = static_cast<Light*>(std::realloc(entities.lights, sizeof(Light) * (entities.lightCount + 1)));
        Light light;
        light.origin[0] = x;
        light.origin[1] = y;
        light.origin[2] = z;
        light.origin[3] = 1;
        light.state = state;
        light.ID = id;
        entities.lights[entities.lightCount++] = light;
    }

    TestLevel built;
    CBSPLoader level{nullptr};
    CEntitySet entities;
    CFaceSet faces;
};

TEST_F(ThreeRooms, TheCamerasLeafAndClusterComeFromTheTree)
{
    Load();
    const float inA[3] = {-50, 0, 0}, inB[3] = {50, 0, 0}, inC[3] = {150, 0, 0}, onPlane[3] = {0, 0, 0};
    EXPECT_EQ(FindLeaf(level, inA), 0);
    EXPECT_EQ(FindLeaf(level, inB), 1);
    EXPECT_EQ(FindLeaf(level, inC), 2);
    EXPECT_EQ(FindLeaf(level, onPlane), 1); // on the plane counts as in front
    EXPECT_EQ(FindCameraCluster(level, inC), 2);
}

TEST_F(ThreeRooms, ARoomOutOfSightIsCulledAndFacesComeOnceInAscendingOrder)
{
    Load();
    const float inA[3] = {-50, 0, 0};
    CollectVisible(level, inA, entities, faces);
    EXPECT_EQ(Members(faces), (std::vector<int32_t>{0, 1, 3}));

    faces.clear();
    const float inB[3] = {50, 0, 0};
    CollectVisible(level, inB, entities, faces);
    EXPECT_EQ(Members(faces), (std::vector<int32_t>{0, 1, 2, 3, 5}));
}

TEST_F(ThreeRooms, WithoutVisDataOrOutsideTheLevelEverythingIsSeen)
{
    built.visBytes = {0b001, 0b010, 0b100};
    built.leafs.push_back(built.leafs[0]);
    built.leafs.back().cluster = -1;
    built.nodes[0].children[1] = -4; // room A now has cluster -1
    Load();
    const float inA[3] = {-50, 0, 0};
    EXPECT_EQ(FindCameraCluster(level, inA), -1);
    CollectVisible(level, inA, entities, faces);
    EXPECT_EQ(Members(faces), (std::vector<int32_t>{0, 1, 2, 3, 5}));

    built.withVisdata = false;
    built.nodes[0].children[1] = -1;
    Load();
    faces.clear();
    CollectVisible(level, inA, entities, faces);
    EXPECT_EQ(Members(faces), (std::vector<int32_t>{0, 1, 2, 3, 5}));
}

TEST_F(ThreeRooms, ALeafOfClusterMinusOneIsTestedAtTheTopBitOfTheRowsFirstByte)
{
    built.leafs[2].cluster = -1;
    built.visBytes = {0b00000011, 0b10000111, 0b110};
    Load();
    const float inA[3] = {-50, 0, 0}, inB[3] = {50, 0, 0};
    EXPECT_FALSE(ClusterVisible(level, 0, -1));
    EXPECT_TRUE(ClusterVisible(level, 1, -1));
    CollectVisible(level, inA, entities, faces);
    EXPECT_EQ(Members(faces), (std::vector<int32_t>{0, 1, 3}));
    faces.clear();
    CollectVisible(level, inB, entities, faces);
    EXPECT_EQ(Members(faces), (std::vector<int32_t>{0, 1, 2, 3, 5}));
}

TEST_F(ThreeRooms, LightsThatAreOnSwitchOnStrictlyInsideAVisibleLeaf)
{
    Load();
    AddLight(-50, 0, 0, 1, 1);   // in A, on
    AddLight(150, 0, 0, 1, 2);   // in C, on, out of sight from A
    AddLight(-50, 0, 0, 0, 3);   // in A, off
    AddLight(-100, 0, 0, 1, 4);  // on A's outer face: inside no box
    AddLight(-50, 50, 0, 1, 5);  // on A's side face
    for (int32_t i = 0; i < entities.lightCount; ++i)
        entities.lights[i].culled = 1;
    const float inA[3] = {-50, 0, 0};
    CollectVisible(level, inA, entities, faces);
    const int32_t expected[5] = {0, 1, 1, 1, 1};
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(entities.lights[i].culled, expected[i]) << "light " << i;
}

TEST_F(ThreeRooms, BrokenRecordsAreSkippedNotRead)
{
    built.leaffaces.push_back(77);     // no such face
    built.leafs[0].n_leaffaces = 3;    // takes in leafface 2 (face 1) ... within the lump
    built.leafs[2].leafface = 5;
    built.leafs[2].n_leaffaces = 100;  // past the Leafface lump
    built.visSize = 1000;              // rows past the vis bytes
    built.nodes[1].children[1] = 1;    // a loop in the tree
    built.nodes[1].plane = 0;
    Load();
    const float inB[3] = {50, 0, 0};
    EXPECT_EQ(FindLeaf(level, inB), -1);
    CollectVisible(level, inB, entities, faces);
    for (int32_t face : faces)
        EXPECT_LT(face, 6);
    EXPECT_TRUE(ClusterVisible(level, 2, 0));
}

// The last row's byte is the last one of the lump: its clusters 8 and up would be read past it.
TEST_F(ThreeRooms, AClusterWhoseBitLiesPastTheVisBytesIsSeen)
{
    Load();
    EXPECT_FALSE(ClusterVisible(level, 2, 0));
    EXPECT_FALSE(ClusterVisible(level, 2, 7));
    EXPECT_TRUE(ClusterVisible(level, 2, 8));
}

TEST(Visibility, ALevelThatWasNotReadHasNoFaces)
{
    CBSPLoader level(nullptr);
    CEntitySet entities;
    CFaceSet faces;
    const float origin[3] = {0, 0, 0};
    EXPECT_EQ(FindCameraCluster(level, origin), -1);
    CollectVisible(level, origin, entities, faces);
    EXPECT_TRUE(faces.empty());
}

} // namespace
