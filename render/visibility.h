// Which leaves, faces and lights the camera can see this frame, from the BSP tree and vis bits.
#pragma once
#include <cstdint>

namespace Tamrik {

class CBSPLoader;
class CEntitySet;
class CFaceSet;

// The leaf holding the point, found down the tree from node 0; -1 when the walk leaves the
// level's records (a level without a tree, or a broken one).
int32_t FindLeaf(const CBSPLoader& level, const float point[3]);

// The camera's cluster: its leaf's cluster, or -1 (sees everything) outside the leaves.
int32_t FindCameraCluster(const CBSPLoader& level, const float position[3]);

// Whether a leaf of cluster leafCluster can be seen from cameraCluster by the vis bits.
bool ClusterVisible(const CBSPLoader& level, int32_t cameraCluster, int32_t leafCluster);

// One pass over the leaves: each visible leaf switches on (culled = 0) every light that is on
// and stands strictly inside its box, and adds its faces to faces. Only face indices of the
// Face lump are added.
void CollectVisible(const CBSPLoader& level, const float position[3], CEntitySet& entities, CFaceSet& faces);

} // namespace Tamrik
