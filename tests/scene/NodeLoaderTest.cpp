// LoadNode and the key block readers: the tree's shape from the child and sibling flags, the
// rotation layouts, every key field in its place, the extras of each node kind (dropped for an
// object of the wrong class), the bounds on depth and counts, and files cut off anywhere.
#include "scene/NodeLoader.h"

#include "scene/Camera.h"
#include "scene/Controller.h"
#include "scene/Mesh.h"
#include "scene/Scene.h"
#include "scene/SceneStream.h"

#include "SceneFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A VectorKey on disk: value, time, tension, bias, continuity, easeTo, easeFrom.
void AppendVectorKey(ByteBuilder& b, Vector3 value, float time, float tension, float bias,
                     float continuity, float easeTo, float easeFrom) {
    b.Vec3(value.x, value.y, value.z).F32(time).F32(tension).F32(bias).F32(continuity);
    b.F32(easeTo).F32(easeFrom);
}

// A RotationKey on disk: axis, angle, time, tension, bias, continuity, easeTo, easeFrom.
void AppendRotationKey(ByteBuilder& b, Vector3 axis, float angle, float time, float tension,
                       float bias, float continuity, float easeTo, float easeFrom) {
    b.Vec3(axis.x, axis.y, axis.z).F32(angle).F32(time).F32(tension).F32(bias).F32(continuity);
    b.F32(easeTo).F32(easeFrom);
}

// A FloatKey on disk: value, time, tension, bias, continuity, easeTo, easeFrom.
void AppendFloatKey(ByteBuilder& b, float value, float time, float tension, float bias,
                    float continuity, float easeTo, float easeFrom) {
    b.F32(value).F32(time).F32(tension).F32(bias).F32(continuity).F32(easeTo).F32(easeFrom);
}

// kind, flags, controller name, object name.
void AppendNodeHead(ByteBuilder& b, std::uint32_t kind, std::uint32_t flags, const char* name,
                    const char* object) {
    b.U32(kind).U32(flags).Str(name).Str(object);
}

// prefix followed by the decimal digits of number.
std::string Numbered(const char* prefix, unsigned number) {
    std::string name(prefix);
    name.append(std::to_string(number));
    return name;
}

// The sentinel that follows a node as its sibling: its name shows the stream stayed in step.
void AppendNext(ByteBuilder& b) {
    AppendPlainNode(b, 0xEE07, 0, "Next", "");
}

class NodeLoaderTest : public SceneDeviceTest {
protected:
    void SetUp() override {
        SceneDeviceTest::SetUp();
        scene = &NewScene();
        mesh1 = Add<RigidMesh>("M1");
        mesh2 = Add<RigidMesh>("M2");
        skin = Add<SkinnedMesh>("Body");
        skin->bones.resize(3);
        skin->boneCount = 3;
        lamp = Add<Light>("Lamp");
        cam = Add<TargetCamera>("Cam");
        freeCam = Add<FreeCamera>("Free");
    }

    template <typename T>
    T* Add(const char* name) {
        auto* object = static_cast<T*>(scene->AdoptObject(std::make_unique<T>(scene)));
        scene->objects.Add(name, object);
        return object;
    }

    // Reads the hierarchy section into a new root controller; gives the stream's position.
    std::size_t Load(const std::vector<std::uint8_t>& bytes) {
        root = scene->AdoptController(std::make_unique<Controller>(scene));
        scene->rootController = root;
        SceneStream stream(bytes);
        LoadNode(*scene, *root, stream);
        atEnd = stream.AtEnd();
        return stream.Position();
    }

    Controller* Find(const char* name) { return scene->controllers.Find(name); }

    Scene* scene = nullptr;
    Controller* root = nullptr;
    bool atEnd = false;
    RigidMesh* mesh1 = nullptr;
    RigidMesh* mesh2 = nullptr;
    SkinnedMesh* skin = nullptr;
    Light* lamp = nullptr;
    TargetCamera* cam = nullptr;
    FreeCamera* freeCam = nullptr;
};

TEST_F(NodeLoaderTest, ChildThenSiblingGiveTheFilesTree) {
    ByteBuilder b;
    AppendPlainNode(b, 0xEE07, 0x01, "Root", ""); // a child follows
    AppendPlainNode(b, 0xEE07, 0x02, "A", "");    // the child, with a sibling
    AppendPlainNode(b, 0xEE07, 0x00, "B", "");    // the sibling, no links
    b.U32(0xABABABAB);                            // never read
    EXPECT_EQ(Load(b.Bytes()), b.Size() - 4);
    Controller* a = Find("A");
    Controller* bNode = Find("B");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(bNode, nullptr);
    EXPECT_EQ(Find("Root"), root);
    EXPECT_EQ(root->child, a);
    EXPECT_EQ(root->sibling, nullptr);
    EXPECT_EQ(a->sibling, bNode);
    EXPECT_EQ(a->child, nullptr);
    EXPECT_EQ(bNode->child, nullptr);
    EXPECT_EQ(bNode->sibling, nullptr);
    EXPECT_EQ(scene->controllers.Size(), 3u);
    EXPECT_EQ(a->scene, scene);
}

TEST_F(NodeLoaderTest, ChildSubtreeComesBeforeTheSibling) {
    ByteBuilder b;
    AppendPlainNode(b, 0xEE07, 0x01, "Root", "");
    AppendPlainNode(b, 0xEE07, 0x03, "X", ""); // child and sibling
    AppendPlainNode(b, 0xEE07, 0x00, "Y", ""); // X's child
    AppendPlainNode(b, 0xEE07, 0x00, "Z", ""); // X's sibling
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    Controller* x = Find("X");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(root->child, x);
    EXPECT_EQ(x->child, Find("Y"));
    EXPECT_EQ(x->sibling, Find("Z"));
    ASSERT_NE(x->child, nullptr);
    EXPECT_EQ(x->child->sibling, nullptr);
}

TEST_F(NodeLoaderTest, GroupNodeWithEmptyObjectNameRegistersAndReadsItsThreeBlocks) {
    ByteBuilder b;
    AppendNodeHead(b, 0xEE07, 0x02, "Group", "");
    b.U32(1);
    AppendVectorKey(b, {1, 2, 3}, 0, 0, 0, 0, 0, 0);
    b.U32(1);
    AppendRotationKey(b, {0, 0, 1}, 0.5f, 0, 0, 0, 0, 0, 0);
    b.U32(2);
    AppendVectorKey(b, {1, 1, 1}, 0, 0, 0, 0, 0, 0);
    AppendVectorKey(b, {2, 2, 2}, 10, 0, 0, 0, 0, 0);
    AppendNext(b);
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    EXPECT_EQ(Find("Group"), root);
    EXPECT_EQ(root->object, nullptr);
    ASSERT_TRUE(root->positionTrack);
    ASSERT_TRUE(root->scaleTrack);
    EXPECT_EQ(root->positionTrack->Count(), 1u);
    EXPECT_EQ(root->scaleTrack->Count(), 2u);
    const auto* rotation = dynamic_cast<RotationTrack*>(root->rotationTrack.get());
    ASSERT_NE(rotation, nullptr);
    EXPECT_EQ(rotation->Count(), 1u);
    EXPECT_NE(Find("Next"), nullptr);
}

TEST_F(NodeLoaderTest, NodeKindDecidesWhetherTheControllerDrivesItsObject) {
    struct Case {
        std::uint32_t kind;
        const char* object;
        const char* driven; // the object the controller drives, or null
    } cases[] = {
        {0xEE02, "m1", "M1"},     // names in any letter case
        {0xEE03, "Lamp", "Lamp"}, // any other kind drives its object
        {0xEE05, "Free", "Free"},
        {0xEE07, "Lamp", nullptr}, // grouping node: the name is ignored
        {0xEE01, "Body", nullptr}, // bone node: drives the bone, not the object
        {0xEE02, "Nobody", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ByteBuilder b;
        AppendNodeHead(b, c.kind, 0, "Node", c.object);
        AppendEmptyKeyBlocks(b);
        if (c.kind == 0xEE01) {
            b.U32(1).Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
        }
        scene->controllers = NamedList<Controller>();
        EXPECT_EQ(Load(b.Bytes()), b.Size());
        EXPECT_EQ(root->object, c.driven ? scene->objects.Find(c.driven) : nullptr);
    }
}

TEST_F(NodeLoaderTest, RotationLayoutFollowsTheEulerFlag) {
    // Both layouts end with easeTo (0.4) then easeFrom (0.6).
    for (bool euler : {true, false}) {
        SCOPED_TRACE(euler ? "flags 0x04: VectorKeys" : "no 0x04: RotationKeys");
        ByteBuilder b;
        AppendNodeHead(b, 0xEE07, euler ? 0x06 : 0x02, "Spin", "");
        b.U32(0); // position
        b.U32(1);
        if (euler) {
            AppendVectorKey(b, {0.1f, 0.2f, 0.3f}, 5.0f, 0.15f, 0.25f, 0.35f, 0.4f, 0.6f);
        } else {
            AppendRotationKey(b, {0, 1, 0}, 0.5f, 5.0f, 0.15f, 0.25f, 0.35f, 0.4f, 0.6f);
        }
        b.U32(0); // scale
        AppendNext(b);
        scene->controllers = NamedList<Controller>();
        EXPECT_EQ(Load(b.Bytes()), b.Size());
        EXPECT_NE(Find("Next"), nullptr);
        if (euler) {
            const auto* track = dynamic_cast<EulerRotationTrack*>(root->rotationTrack.get());
            ASSERT_NE(track, nullptr);
            ASSERT_EQ(track->Count(), 1u);
            const VectorKey& key = track->keys[0];
            EXPECT_EQ(key.value, Vector3(0.1f, 0.2f, 0.3f));
            EXPECT_EQ(key.time, 5.0f);
            EXPECT_EQ(key.tension, 0.15f);
            EXPECT_EQ(key.bias, 0.25f);
            EXPECT_EQ(key.continuity, 0.35f);
            EXPECT_EQ(key.easeTo, 0.4f);
            EXPECT_EQ(key.easeFrom, 0.6f);
        } else {
            const auto* track = dynamic_cast<RotationTrack*>(root->rotationTrack.get());
            ASSERT_NE(track, nullptr);
            ASSERT_EQ(track->Count(), 1u);
            const RotationKey& key = track->keys[0];
            EXPECT_EQ(key.axis, Vector3(0, 1, 0));
            EXPECT_EQ(key.angle, 0.5f);
            EXPECT_EQ(key.time, 5.0f);
            EXPECT_EQ(key.tension, 0.15f);
            EXPECT_EQ(key.bias, 0.25f);
            EXPECT_EQ(key.continuity, 0.35f);
            EXPECT_EQ(key.easeTo, 0.4f);
            EXPECT_EQ(key.easeFrom, 0.6f);
        }
    }
}

TEST_F(NodeLoaderTest, PositionAndScaleKeysKeepEveryField) {
    ByteBuilder b;
    AppendNodeHead(b, 0xEE07, 0, "Move", "");
    b.U32(2);
    AppendVectorKey(b, {1, 2, 3}, 0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f);
    AppendVectorKey(b, {4, 5, 6}, 8.0f, -0.1f, -0.2f, -0.3f, 0.6f, 0.7f);
    b.U32(0);
    b.U32(1);
    AppendVectorKey(b, {2, 2, 2}, 3.0f, 0.0f, 0.0f, 0.0f, 0.25f, 0.75f);
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    ASSERT_EQ(root->positionTrack->Count(), 2u);
    const VectorKey& second = root->positionTrack->keys[1];
    EXPECT_EQ(second.value, Vector3(4, 5, 6));
    EXPECT_EQ(second.time, 8.0f);
    EXPECT_EQ(second.tension, -0.1f);
    EXPECT_EQ(second.bias, -0.2f);
    EXPECT_EQ(second.continuity, -0.3f);
    EXPECT_EQ(second.easeTo, 0.6f);
    EXPECT_EQ(second.easeFrom, 0.7f);
    // The keys were prepared: key 0's tangent follows the difference (3, 3, 3) to key 1, scaled
    // by its tension, continuity and bias, so it is no longer zero.
    EXPECT_NE(root->positionTrack->keys[0].outTangent, Vector3());
    ASSERT_EQ(root->scaleTrack->Count(), 1u);
    EXPECT_EQ(root->scaleTrack->keys[0].value, Vector3(2, 2, 2));
    EXPECT_EQ(root->scaleTrack->keys[0].easeFrom, 0.75f);
}

TEST_F(NodeLoaderTest, BoneNodeFillsTheNumberedBoneOfItsSkinnedMesh) {
    ByteBuilder b;
    AppendNodeHead(b, 0xEE01, 0x02, "Bone3", "Body");
    AppendEmptyKeyBlocks(b);
    b.U32(3); // boneIndex
    b.Floats({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    AppendNext(b);
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    EXPECT_NE(Find("Next"), nullptr);
    EXPECT_EQ(root->object, nullptr);
    const Bone& third = skin->bones[2];
    EXPECT_EQ(third.controller, root);
    for (int row = 1; row <= 4; ++row) {
        for (int column = 1; column <= 4; ++column) {
            EXPECT_EQ(third.offset.Element(row, column), static_cast<float>((row - 1) * 4 + column))
                << row << "," << column;
        }
    }
    EXPECT_EQ(skin->bones[0].controller, nullptr);
    EXPECT_EQ(skin->bones[1].offset, Matrix{});
}

TEST_F(NodeLoaderTest, BoneDataWithoutAFittingBoneIsReadAndDropped) {
    struct Case {
        const char* name;
        const char* object;
        std::uint32_t boneIndex;
    } cases[] = {
        {"bone index 0", "Body", 0},
        {"bone index beyond the bone count", "Body", 4},
        {"largest bone index", "Body", 0xFFFFFFFF},
        {"rigid mesh", "M1", 1},
        {"no such object", "Nobody", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene->controllers = NamedList<Controller>();
        ByteBuilder b;
        AppendNodeHead(b, 0xEE01, 0x02, "Bone", c.object);
        AppendEmptyKeyBlocks(b);
        b.U32(c.boneIndex);
        b.Floats({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
        AppendNext(b);
        EXPECT_EQ(Load(b.Bytes()), b.Size());
        EXPECT_NE(Find("Next"), nullptr);
        for (const Bone& bone : skin->bones) {
            EXPECT_EQ(bone.controller, nullptr);
            EXPECT_EQ(bone.offset, Matrix{});
        }
    }
}

TEST_F(NodeLoaderTest, MeshNodeReadsMorphKeysThenVisibilityKeys) {
    ByteBuilder b;
    AppendNodeHead(b, 0xEE02, 0x18 | 0x02, "Shape", "M1");
    AppendEmptyKeyBlocks(b);
    b.U32(4); // morph keys: name, time, easeTo, easeFrom
    b.Str("m1").F32(0.0f).F32(0.1f).F32(0.2f);
    b.Str("M2").F32(10.0f).F32(0.3f).F32(0.4f);
    b.Str("Lamp").F32(20.0f).F32(0.0f).F32(0.0f);   // not a mesh
    b.Str("Nobody").F32(30.0f).F32(0.0f).F32(0.0f); // no such object
    b.U32(2); // visibility keys: value, time, easeTo, easeFrom
    b.U32(1).F32(0.0f).F32(0.5f).F32(0.25f);
    b.U32(0).F32(5.0f).F32(0.0f).F32(0.0f);
    AppendNext(b);
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    EXPECT_NE(Find("Next"), nullptr);
    EXPECT_EQ(root->object, mesh1);

    ASSERT_TRUE(mesh1->morphTrack);
    const auto& morph = mesh1->morphTrack->keys;
    ASSERT_EQ(morph.size(), 4u);
    EXPECT_EQ(morph[0].value, mesh1);
    EXPECT_EQ(morph[1].value, mesh2);
    EXPECT_EQ(morph[2].value, nullptr);
    EXPECT_EQ(morph[3].value, nullptr);
    EXPECT_EQ(morph[1].time, 10.0f);
    EXPECT_EQ(morph[1].easeTo, 0.3f);
    EXPECT_EQ(morph[1].easeFrom, 0.4f);

    ASSERT_TRUE(mesh1->visibilityTrack);
    const auto& visibility = mesh1->visibilityTrack->keys;
    ASSERT_EQ(visibility.size(), 2u);
    EXPECT_EQ(visibility[0].value, 1u);
    EXPECT_EQ(visibility[0].time, 0.0f);
    EXPECT_EQ(visibility[0].easeTo, 0.5f);
    EXPECT_EQ(visibility[0].easeFrom, 0.25f);
    EXPECT_EQ(visibility[1].value, 0u);
    EXPECT_EQ(visibility[1].time, 5.0f);
}

TEST_F(NodeLoaderTest, MeshBitsMeanNothingForOtherKinds) {
    ByteBuilder b;
    AppendNodeHead(b, 0xEE03, 0x08 | 0x10 | 0x20 | 0x40 | 0x02, "Plain", "M1");
    AppendEmptyKeyBlocks(b);
    AppendNext(b); // directly after the scale keys
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    EXPECT_NE(Find("Next"), nullptr);
    EXPECT_EQ(root->object, mesh1);
    EXPECT_FALSE(mesh1->morphTrack);
    EXPECT_FALSE(mesh1->visibilityTrack);
}

TEST_F(NodeLoaderTest, CameraNodesReadTheirFloatTracksAsTheFlagsSay) {
    // Roll keys have value 15, field-of-view keys value 50; bit 0x40 means nothing for 0xEE05.
    struct Case {
        const char* name;
        std::uint32_t kind;
        const char* object;
        std::uint32_t flags;
        bool roll; // blocks written, in file order: roll, then field of view
        bool fov;
    } cases[] = {
        {"target camera, roll then fov", 0xEE04, "Cam", 0x60, true, true},
        {"target camera, roll only", 0xEE04, "Cam", 0x40, true, false},
        {"target camera, fov only", 0xEE04, "Cam", 0x20, false, true},
        {"free camera, fov", 0xEE05, "Free", 0x20, false, true},
        {"free camera, roll bit", 0xEE05, "Free", 0x40, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cam->rollTrack.reset();
        cam->fovTrack.reset();
        freeCam->fovTrack.reset();
        scene->controllers = NamedList<Controller>();
        ByteBuilder b;
        AppendNodeHead(b, c.kind, c.flags | 0x02, "Lens", c.object);
        AppendEmptyKeyBlocks(b);
        if (c.roll) {
            b.U32(1);
            AppendFloatKey(b, 15.0f, 1.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f);
        }
        if (c.fov) {
            b.U32(1);
            AppendFloatKey(b, 50.0f, 2.0f, -0.1f, -0.2f, -0.3f, 0.6f, 0.7f);
        }
        AppendNext(b);
        EXPECT_EQ(Load(b.Bytes()), b.Size());
        EXPECT_NE(Find("Next"), nullptr);
        Camera* camera = c.kind == 0xEE04 ? static_cast<Camera*>(cam) : freeCam;
        EXPECT_EQ(root->object, camera);
        if (c.roll) {
            ASSERT_TRUE(cam->rollTrack);
            ASSERT_EQ(cam->rollTrack->Count(), 1u);
            const FloatKey& key = cam->rollTrack->keys[0];
            EXPECT_EQ(key.value, 15.0f);
            EXPECT_EQ(key.time, 1.0f);
            EXPECT_EQ(key.tension, 0.1f);
            EXPECT_EQ(key.bias, 0.2f);
            EXPECT_EQ(key.continuity, 0.3f);
            EXPECT_EQ(key.easeTo, 0.4f);
            EXPECT_EQ(key.easeFrom, 0.5f);
        } else {
            EXPECT_FALSE(cam->rollTrack);
        }
        if (c.fov) {
            ASSERT_TRUE(camera->fovTrack);
            ASSERT_EQ(camera->fovTrack->Count(), 1u);
            EXPECT_EQ(camera->fovTrack->keys[0].value, 50.0f);
            EXPECT_EQ(camera->fovTrack->keys[0].easeFrom, 0.7f);
        } else {
            EXPECT_FALSE(camera->fovTrack);
        }
    }
}

TEST_F(NodeLoaderTest, ExtrasForAnObjectOfAnotherClassAreReadAndDropped) {
    struct Case {
        const char* name;
        std::uint32_t kind;
        const char* object;
        std::uint32_t flags;
    } cases[] = {
        {"mesh keys on a target camera", 0xEE02, "Cam", 0x18},
        {"mesh keys on no object", 0xEE02, "Nobody", 0x18},
        {"target camera keys on a free camera", 0xEE04, "Free", 0x60},
        {"target camera keys on a mesh", 0xEE04, "M1", 0x60},
        {"free camera keys on a target camera", 0xEE05, "Cam", 0x20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene->controllers = NamedList<Controller>();
        ByteBuilder b;
        AppendNodeHead(b, c.kind, c.flags | 0x02, "Wrong", c.object);
        AppendEmptyKeyBlocks(b);
        if (c.kind == 0xEE02) {
            b.U32(1).Str("M2").F32(0).F32(0).F32(0); // morph keys
            b.U32(1).U32(1).F32(0).F32(0).F32(0);    // visibility keys
        } else {
            const int blocks = c.flags == 0x60 ? 2 : 1;
            for (int i = 0; i < blocks; ++i) {
                b.U32(1);
                AppendFloatKey(b, 9.0f, 0, 0, 0, 0, 0, 0);
            }
        }
        AppendNext(b);
        EXPECT_EQ(Load(b.Bytes()), b.Size());
        EXPECT_NE(Find("Next"), nullptr);
        EXPECT_FALSE(cam->rollTrack);
        EXPECT_FALSE(cam->fovTrack);
        EXPECT_FALSE(freeCam->fovTrack);
        EXPECT_FALSE(mesh1->morphTrack);
        EXPECT_FALSE(mesh1->visibilityTrack);
    }
}

TEST_F(NodeLoaderTest, RepeatedControllerNameRegistersTheFirstAndLinksBoth) {
    ByteBuilder b;
    AppendPlainNode(b, 0xEE07, 0x01, "Same", "");
    AppendPlainNode(b, 0xEE03, 0x00, "SAME", "Lamp");
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    EXPECT_EQ(scene->controllers.Size(), 1u);
    EXPECT_EQ(Find("same"), root);
    ASSERT_NE(root->child, nullptr);
    EXPECT_NE(root->child, root);
    EXPECT_EQ(root->child->object, lamp);
}

TEST_F(NodeLoaderTest, ChildLinksDeeperThanTheLimitEndTheFile) {
    struct Case {
        unsigned links; // child links in the chain below the root
        bool loadsWhole;
    } cases[] = {
        {kMaxNodeDepth, true},
        {kMaxNodeDepth + 1, false},
        {kMaxNodeDepth + 50, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.links);
        scene->controllers = NamedList<Controller>();
        ByteBuilder b;
        // Node 0 (the root) also has a sibling, written after its whole child subtree.
        for (unsigned i = 0; i <= c.links; ++i) {
            const std::uint32_t flags = (i < c.links ? 0x01 : 0x00) | (i == 0 ? 0x02 : 0x00);
            AppendPlainNode(b, 0xEE07, flags, Numbered("n", i), "");
        }
        AppendPlainNode(b, 0xEE07, 0, "After", "");
        Load(b.Bytes());
        // Walk down the child links.
        unsigned depth = 0;
        for (const Controller* node = root; node->child; node = node->child) {
            ++depth;
        }
        if (c.loadsWhole) {
            EXPECT_FALSE(atEnd);
            EXPECT_EQ(depth, c.links);
            EXPECT_NE(Find("After"), nullptr);
            EXPECT_EQ(root->sibling, Find("After"));
        } else {
            // Reading stops at the node whose child would lie beyond the limit, at every level.
            EXPECT_TRUE(atEnd);
            EXPECT_EQ(depth, kMaxNodeDepth);
            EXPECT_NE(Find(Numbered("n", kMaxNodeDepth).c_str()), nullptr);
            EXPECT_EQ(Find(Numbered("n", kMaxNodeDepth + 1).c_str()), nullptr);
            EXPECT_EQ(Find("After"), nullptr);
            EXPECT_EQ(root->sibling, nullptr);
        }
    }
}

TEST_F(NodeLoaderTest, LongSiblingChainLoadsAndEvaluatesWithoutDeepCalls) {
    constexpr int kNodes = 100000;
    ByteBuilder b;
    for (int i = 0; i < kNodes; ++i) {
        AppendPlainNode(b, 0xEE07, i + 1 < kNodes ? 0x02 : 0x00,
                        Numbered("s", static_cast<unsigned>(i)), "");
    }
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    EXPECT_EQ(scene->controllers.Size(), static_cast<std::size_t>(kNodes));
    int length = 0;
    const Controller* last = nullptr;
    for (const Controller* node = root; node; node = node->sibling) {
        ++length;
        last = node;
    }
    EXPECT_EQ(length, kNodes);
    EXPECT_EQ(last, Find("s99999"));
    scene->Evaluate(1.0f);
    EXPECT_EQ(last->time, 1.0f);
}

TEST_F(NodeLoaderTest, KeyCountsTheRestOfTheFileCannotHoldEndTheFile) {
    // The huge count takes the place of one block's count; the blocks before it are empty.
    struct Case {
        const char* name;
        std::uint32_t kind;
        const char* object;
        std::uint32_t flags;
        int hugeBlock; // 0 position, 1 rotation, 2 scale, 3 first extra block
    } cases[] = {
        {"position keys", 0xEE07, "", 0x00, 0},
        {"rotation keys", 0xEE07, "", 0x00, 1},
        {"euler rotation keys", 0xEE07, "", 0x04, 1},
        {"scale keys", 0xEE07, "", 0x00, 2},
        {"morph keys", 0xEE02, "M1", 0x08, 3},
        {"visibility keys", 0xEE02, "M1", 0x10, 3},
        {"roll keys", 0xEE04, "Cam", 0x40, 3},
        {"field-of-view keys", 0xEE05, "Free", 0x20, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene->controllers = NamedList<Controller>();
        ByteBuilder b;
        AppendNodeHead(b, c.kind, c.flags | 0x02, "Huge", c.object);
        for (int block = 0; block < 4; ++block) {
            if (block == 3 && c.hugeBlock != 3) {
                break;
            }
            b.U32(block == c.hugeBlock ? 0xFFFFFFFF : 0);
            if (block == c.hugeBlock) {
                break;
            }
        }
        // One key's worth of bytes follows, then a sibling that must not be read.
        b.Floats({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        AppendNext(b);
        Load(b.Bytes());
        EXPECT_TRUE(atEnd);
        EXPECT_EQ(Find("Next"), nullptr);
        EXPECT_EQ(root->positionTrack->Count(), 0u);
        EXPECT_EQ(root->scaleTrack->Count(), 0u);
        if (mesh1->morphTrack) {
            EXPECT_EQ(mesh1->morphTrack->Count(), 0u);
        }
        if (mesh1->visibilityTrack) {
            EXPECT_EQ(mesh1->visibilityTrack->Count(), 0u);
        }
        if (cam->rollTrack) {
            EXPECT_EQ(cam->rollTrack->Count(), 0u);
        }
        if (freeCam->fovTrack) {
            EXPECT_EQ(freeCam->fovTrack->Count(), 0u);
        }
    }
}

TEST_F(NodeLoaderTest, FileCutOffAfterAChildFlagGivesAnEmptyChild) {
    ByteBuilder b;
    AppendPlainNode(b, 0xEE07, 0x03, "Root", "");
    b.U32(0xEE02); // the child's kind, then the end of the file
    Load(b.Bytes());
    EXPECT_TRUE(atEnd);
    ASSERT_NE(root->child, nullptr);
    // Zero flags: the tree simply ends below the child; its name is none, registered as "".
    EXPECT_EQ(root->child->child, nullptr);
    EXPECT_EQ(root->child->sibling, nullptr);
    EXPECT_EQ(root->child->object, nullptr);
    EXPECT_EQ(Find(""), root->child);
    ASSERT_TRUE(root->child->positionTrack);
    EXPECT_EQ(root->child->positionTrack->Count(), 0u);
}

TEST_F(NodeLoaderTest, FileCutOffAtAnyByteLoadsWhatItHolds) {
    ByteBuilder b;
    AppendNodeHead(b, 0xEE07, 0x01 | 0x02, "Root", "");
    AppendEmptyKeyBlocks(b);
    AppendNodeHead(b, 0xEE02, 0x18, "Shape", "M1");
    b.U32(1);
    AppendVectorKey(b, {1, 2, 3}, 0, 0, 0, 0, 0, 0);
    b.U32(2);
    AppendRotationKey(b, {0, 1, 0}, 1.0f, 0, 0, 0, 0, 0, 0);
    AppendRotationKey(b, {1, 0, 0}, 7.0f, 10, 0, 0, 0, 0, 0);
    b.U32(0);
    b.U32(2).Str("M1").F32(0).F32(0).F32(0).Str("M2").F32(5).F32(0).F32(0);
    b.U32(1).U32(1).F32(0).F32(0).F32(0);
    AppendNodeHead(b, 0xEE01, 0x00, "Bone", "Body");
    AppendEmptyKeyBlocks(b);
    b.U32(2).Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const std::vector<std::uint8_t> whole = b.Bytes();
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        SCOPED_TRACE(length);
        scene->controllers = NamedList<Controller>();
        mesh1->morphTrack.reset();
        mesh1->visibilityTrack.reset();
        skin->bones.assign(3, Bone{});
        const std::size_t read = Load(Prefix(whole, length));
        EXPECT_EQ(read, length);
        EXPECT_EQ(atEnd, length < whole.size());
        // The cut-off tree can be walked and evaluated.
        scene->Evaluate(3.0f);
    }
    ASSERT_NE(Find("Shape"), nullptr);
    EXPECT_EQ(root->child, Find("Shape"));
    EXPECT_EQ(root->sibling, Find("Bone"));
    EXPECT_EQ(skin->bones[1].controller, Find("Bone"));
    ASSERT_TRUE(mesh1->morphTrack);
    EXPECT_EQ(mesh1->morphTrack->Count(), 2u);
}

} // namespace
