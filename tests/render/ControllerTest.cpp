// Tests of the per-frame hierarchy walk: world matrices, visiting order, times and the stack.
#include "scene/Controller.h"

#include "anim/Matrix.h"
#include "anim/MatrixStack.h"
#include "anim/Track.h"
#include "anim/Vector3.h"
#include "render/SceneBuilding.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2.0f;

// What an object saw when its node handed it the frame.
struct Visit {
    const Controller* node = nullptr;
    float time = 0.0f;
    Matrix world;
    float childTime = 0.0f; // the node's first child's time at that moment (0 without a child)
};

// An object that writes down every Update it receives, in order.
class LoggingObject final : public SceneObject {
public:
    LoggingObject(Scene* scene, std::vector<Visit>* log) : SceneObject(scene), log(log) {}

    int GetType() const override { return -1; }
    void Render() override {}
    void Update(const Controller& controller) override {
        log->push_back({&controller, controller.time, controller.world,
                        controller.child ? controller.child->time : 0.0f});
    }

private:
    std::vector<Visit>* log;
};

// An object that only counts its updates; many nodes may drive the same one.
class CountingObject final : public SceneObject {
public:
    using SceneObject::SceneObject;

    int GetType() const override { return -1; }
    void Render() override {}
    void Update(const Controller&) override { ++updates; }

    std::size_t updates = 0;
};

// A logging object driven by node, writing into log.
LoggingObject* Log(Scene& scene, Controller* node, std::vector<Visit>& log) {
    return Drive<LoggingObject>(scene, node, &log);
}

// A rotation track holding one absolute orientation: angle radians about axis.
std::unique_ptr<RotationTrack> ConstantRotation(const Vector3& axis, float angle) {
    auto track = std::make_unique<RotationTrack>();
    RotationKey key;
    key.axis = axis;
    key.angle = angle;
    track->keys.push_back(key);
    track->PrepareKeys();
    return track;
}

void ExpectMatrixNear(const Matrix& actual, const Matrix& expected, float tolerance) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], tolerance)
                << "element (" << i << ", " << j << ")";
        }
    }
}

void ExpectAllZero(const Matrix& m) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(m.m[i][j], 0.0f) << "element (" << i << ", " << j << ")";
        }
    }
}

TEST(ControllerTest, IdentityRootGivesIdentityToChildren) {
    Scene scene;
    std::vector<Visit> log;
    Controller* root = NewNode(scene); // no tracks, no object
    Controller* first = NewNode(scene);
    Controller* second = NewNode(scene);
    Controller* grandchild = NewNode(scene);
    AddChild(root, first);
    AddChild(root, second);
    AddChild(first, grandchild);
    Log(scene, first, log);
    Log(scene, second, log);
    Log(scene, grandchild, log);
    scene.rootController = root;

    scene.Evaluate(3.0f);

    EXPECT_EQ(root->world, MatrixIdentity());
    ASSERT_EQ(log.size(), 3u);
    for (const Visit& visit : log) {
        EXPECT_EQ(visit.world, MatrixIdentity());
        EXPECT_EQ(visit.node->world, MatrixIdentity());
    }
}

TEST(ControllerTest, ScaledTranslatedNodeUnderTranslatedParentMapsPointByHand) {
    Scene scene;
    Controller* root = NewNode(scene);
    Controller* parent = NewNode(scene);
    Controller* node = NewNode(scene);
    AddChild(root, parent);
    AddChild(parent, node);
    parent->positionTrack = Constant<PositionTrack>({0.0f, 5.0f, 0.0f});
    node->scaleTrack = Constant<ScaleTrack>({2.0f, 2.0f, 2.0f});
    node->rotationTrack = ConstantRotation({0.0f, 0.0f, 1.0f}, 0.0f); // the identity
    node->positionTrack = Constant<PositionTrack>({1.0f, 0.0f, 0.0f});
    scene.rootController = root;

    scene.Evaluate(0.0f);

    // (1, 0, 0) scaled to (2, 0, 0), moved to (3, 0, 0), then carried up by 5.
    ExpectVectorNear(Vector3Transform({1.0f, 0.0f, 0.0f}, node->world), {3.0f, 5.0f, 0.0f}, 1e-6f);
    Matrix expected = MatrixIdentity();
    expected.m[0][0] = expected.m[1][1] = expected.m[2][2] = 2.0f;
    expected.m[3][0] = 1.0f;
    expected.m[3][1] = 5.0f;
    ExpectMatrixNear(node->world, expected, 1e-6f);
}

TEST(ControllerTest, SiblingsGetTheParentMatrixWhateverTheFirstSubtreePushed) {
    Scene scene;
    Controller* root = NewNode(scene);
    Controller* parent = NewNode(scene);
    AddChild(root, parent);
    parent->positionTrack = Constant<PositionTrack>({0.0f, 5.0f, 0.0f});

    // The first child carries a three-level subtree of its own, each level pushing a matrix.
    Controller* first = NewNode(scene);
    Controller* scaled = NewNode(scene);
    Controller* deepest = NewNode(scene);
    AddChild(parent, first);
    AddChild(first, scaled);
    AddChild(scaled, deepest);
    first->positionTrack = Constant<PositionTrack>({10.0f, 0.0f, 0.0f});
    scaled->scaleTrack = Constant<ScaleTrack>({3.0f, 3.0f, 3.0f});
    deepest->positionTrack = Constant<PositionTrack>({0.0f, 0.0f, 7.0f});

    Controller* plain = NewNode(scene);
    Controller* moved = NewNode(scene);
    AddChild(parent, plain);
    AddChild(parent, moved);
    moved->positionTrack = Constant<PositionTrack>({0.0f, 0.0f, 1.0f});
    scene.rootController = root;

    scene.Evaluate(0.0f);

    // The subtree did its work: (0, 0, 7) scaled by 3 and moved by (10, 5, 0).
    ExpectVectorNear(Vector3Transform({0.0f, 0.0f, 0.0f}, deepest->world), {10.0f, 5.0f, 21.0f},
                     1e-5f);
    EXPECT_EQ(plain->world, Translation(0.0f, 5.0f, 0.0f));
    EXPECT_EQ(moved->world, Translation(0.0f, 5.0f, 1.0f));
}

TEST(ControllerTest, ObjectUpdateSeesItsNodesTime) {
    const float times[] = {0.0f, 12.5f, -3.25f, 1.0e6f};
    Scene scene;
    std::vector<Visit> log;
    Controller* root = NewNode(scene);
    Controller* node = NewNode(scene);
    AddChild(root, node);
    Log(scene, root, log);
    Log(scene, node, log);
    scene.rootController = root;

    for (const float time : times) {
        SCOPED_TRACE(time);
        log.clear();
        scene.Evaluate(time);
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0].time, time);
        EXPECT_EQ(log[1].time, time);
        EXPECT_EQ(root->time, time);
        EXPECT_EQ(node->time, time);
    }
}

TEST(ControllerTest, TracksAreSampledAtTheWalksTime) {
    // Two keys with default tension, continuity and bias: both tangents are the key difference,
    // so the Hermite curve is the straight line from (0, 0, 0) at frame 0 to (10, 0, 0) at 10,
    // held outside the keys.
    struct Case {
        float time;
        float x;
    } cases[] = {{-5.0f, 0.0f}, {0.0f, 0.0f},   {2.5f, 2.5f},
                 {7.5f, 7.5f},  {10.0f, 10.0f}, {15.0f, 10.0f}};
    Scene scene;
    Controller* root = NewNode(scene);
    auto track = std::make_unique<PositionTrack>();
    track->keys = {Key(0.0f, {0.0f, 0.0f, 0.0f}), Key(10.0f, {10.0f, 0.0f, 0.0f})};
    track->PrepareKeys();
    root->positionTrack = std::move(track);
    scene.rootController = root;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        scene.Evaluate(c.time);
        ExpectMatrixNear(root->world, Translation(c.x, 0.0f, 0.0f), 1e-5f);
    }
}

TEST(ControllerTest, EvaluateOnEmptyStackGivesAllZeroWorld) {
    Scene scene;
    std::vector<Visit> log;
    Controller* node = NewNode(scene);
    Controller* child = NewNode(scene);
    AddChild(node, child);
    node->scaleTrack = Constant<ScaleTrack>({2.0f, 2.0f, 2.0f});
    node->positionTrack = Constant<PositionTrack>({1.0f, 2.0f, 3.0f});
    child->positionTrack = Constant<PositionTrack>({4.0f, 5.0f, 6.0f});
    Log(scene, node, log);
    Log(scene, child, log);

    MatrixStack stack;
    node->Evaluate(1.0f, stack);

    ExpectAllZero(node->world);
    ExpectAllZero(child->world);
    ASSERT_EQ(log.size(), 2u);
    ExpectAllZero(log[0].world);
    ExpectAllZero(log[1].world);
    EXPECT_TRUE(stack.IsEmpty());
}

TEST(ControllerTest, VisitsDepthFirstInFileOrder) {
    // root
    //   a            (10, 0, 0)
    //     a1         (0, 20, 0)
    //       a1x      (0, 0, 30)
    //     a2         (0, 0, 40)
    //   b            (50, 0, 0)
    //     b1         (0, 60, 0)
    Scene scene;
    std::vector<Visit> log;
    Controller* root = NewNode(scene);
    Controller* a = NewNode(scene);
    Controller* a1 = NewNode(scene);
    Controller* a1x = NewNode(scene);
    Controller* a2 = NewNode(scene);
    Controller* b = NewNode(scene);
    Controller* b1 = NewNode(scene);
    AddChild(root, a);
    AddChild(root, b);
    AddChild(a, a1);
    AddChild(a, a2);
    AddChild(a1, a1x);
    AddChild(b, b1);
    a->positionTrack = Constant<PositionTrack>({10.0f, 0.0f, 0.0f});
    a1->positionTrack = Constant<PositionTrack>({0.0f, 20.0f, 0.0f});
    a1x->positionTrack = Constant<PositionTrack>({0.0f, 0.0f, 30.0f});
    a2->positionTrack = Constant<PositionTrack>({0.0f, 0.0f, 40.0f});
    b->positionTrack = Constant<PositionTrack>({50.0f, 0.0f, 0.0f});
    b1->positionTrack = Constant<PositionTrack>({0.0f, 60.0f, 0.0f});
    // Objects are handed out in an order unlike the tree's, so the log follows the walk only.
    for (Controller* node : {b1, a2, root, a1x, b, a, a1}) {
        Log(scene, node, log);
    }
    scene.rootController = root;

    scene.Evaluate(0.0f);

    struct Case {
        const Controller* node;
        Matrix world;
    } expected[] = {
        {root, MatrixIdentity()},
        {a, Translation(10.0f, 0.0f, 0.0f)},
        {a1, Translation(10.0f, 20.0f, 0.0f)},
        {a1x, Translation(10.0f, 20.0f, 30.0f)},
        {a2, Translation(10.0f, 0.0f, 40.0f)},
        {b, Translation(50.0f, 0.0f, 0.0f)},
        {b1, Translation(50.0f, 60.0f, 0.0f)},
    };
    ASSERT_EQ(log.size(), std::size(expected));
    for (std::size_t i = 0; i < log.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(log[i].node, expected[i].node);
        EXPECT_EQ(log[i].world, expected[i].world);
    }
}

TEST(ControllerTest, ObjectUpdateRunsBeforeTheNodesChildrenAreEvaluated) {
    Scene scene;
    std::vector<Visit> log;
    Controller* root = NewNode(scene);
    Controller* child = NewNode(scene);
    AddChild(root, child);
    Log(scene, root, log);
    scene.rootController = root;

    scene.Evaluate(1.0f);
    log.clear();
    scene.Evaluate(2.0f);

    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].time, 2.0f);
    EXPECT_EQ(log[0].childTime, 1.0f); // still the previous frame's
    EXPECT_EQ(child->time, 2.0f);
}

TEST(ControllerTest, ComposesScaleThenRotationThenTranslation) {
    // Scale (2, 1, 1), then a quarter turn about z (Euler z = π/2: Rz maps (x, y, 0) to
    // (−y, x, 0)), then a move by (3, 0, 0). Any other order gives other points.
    struct Case {
        Vector3 local;
        Vector3 world;
    } cases[] = {
        {{1.0f, 0.0f, 0.0f}, {3.0f, 2.0f, 0.0f}}, // (2, 0, 0) → (0, 2, 0) → (3, 2, 0)
        {{0.0f, 1.0f, 0.0f}, {2.0f, 0.0f, 0.0f}}, // (0, 1, 0) → (−1, 0, 0) → (2, 0, 0)
        {{1.0f, 1.0f, 0.0f}, {2.0f, 2.0f, 0.0f}}, // (2, 1, 0) → (−1, 2, 0) → (2, 2, 0)
        {{0.0f, 0.0f, 1.0f}, {3.0f, 0.0f, 1.0f}}, // z untouched by scale and rotation
    };
    Scene scene;
    Controller* root = NewNode(scene);
    root->scaleTrack = Constant<ScaleTrack>({2.0f, 1.0f, 1.0f});
    root->rotationTrack = Constant<EulerRotationTrack>({0.0f, 0.0f, kHalfPi});
    root->positionTrack = Constant<PositionTrack>({3.0f, 0.0f, 0.0f});
    scene.rootController = root;

    scene.Evaluate(0.0f);

    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.local.x << ", " << c.local.y << ", " << c.local.z);
        ExpectVectorNear(Vector3Transform(c.local, root->world), c.world, 1e-5f);
    }
}

TEST(ControllerTest, StackIsTheSameOnReturnAsOnEntry) {
    Scene scene;
    std::vector<Visit> log;
    Controller* top = NewNode(scene);
    Controller* next = NewNode(scene);
    Controller* child = NewNode(scene);
    Controller* grandchild = NewNode(scene);
    Controller* childSibling = NewNode(scene);
    top->sibling = next;
    AddChild(top, child);
    AddChild(top, childSibling);
    AddChild(child, grandchild);
    AddChild(next, NewNode(scene));
    top->positionTrack = Constant<PositionTrack>({1.0f, 0.0f, 0.0f});
    child->positionTrack = Constant<PositionTrack>({0.0f, 1.0f, 0.0f});

    const Matrix below = Translation(-1.0f, -2.0f, -3.0f);
    const Matrix parent = Translation(1.0f, 2.0f, 3.0f);
    MatrixStack stack;
    stack.Push(below);
    stack.Push(parent);

    top->Evaluate(0.0f, stack);

    EXPECT_EQ(next->world, parent); // the following sibling saw the same top
    ASSERT_EQ(stack.Size(), 2u);
    EXPECT_EQ(stack.Pop(), parent);
    EXPECT_EQ(stack.Pop(), below);
}

TEST(ControllerTest, LongSiblingChainEvaluatesWithoutExhaustingTheCallStack) {
    constexpr std::size_t kSiblings = 100000;
    Scene scene;
    Controller* root = NewNode(scene);
    root->positionTrack = Constant<PositionTrack>({0.0f, 5.0f, 0.0f});
    auto* counter =
        static_cast<CountingObject*>(scene.AdoptObject(std::make_unique<CountingObject>(&scene)));
    Controller* previous = nullptr;
    Controller* middle = nullptr;
    for (std::size_t i = 0; i < kSiblings; ++i) {
        Controller* node = NewNode(scene);
        node->object = counter;
        if (previous) {
            previous->sibling = node;
        } else {
            root->child = node;
        }
        if (i == kSiblings / 2) {
            middle = node;
        }
        previous = node;
    }
    Controller* last = previous;
    Controller* underMiddle = NewNode(scene);
    AddChild(middle, underMiddle);
    underMiddle->positionTrack = Constant<PositionTrack>({1.0f, 0.0f, 0.0f});
    scene.rootController = root;

    scene.Evaluate(4.0f);

    EXPECT_EQ(counter->updates, kSiblings);
    EXPECT_EQ(last->world, Translation(0.0f, 5.0f, 0.0f));
    EXPECT_EQ(last->time, 4.0f);
    EXPECT_EQ(underMiddle->world, Translation(1.0f, 5.0f, 0.0f));
}

TEST(ControllerTest, RotationSlotTakesQuaternionAndEulerTracks) {
    // A quaternion key of angle θ about n turns points by −θ about n (row vectors), so a quarter
    // turn about z maps (1, 0, 0) to (cos θ, −sin θ, 0) = (0, −1, 0). Euler angles use Rz, Rx,
    // Ry with rows (c, s, 0)… and (1, 0, 0), (0, c, s)…: a quarter turn maps (1, 0, 0) to
    // (0, 1, 0) about z and (0, 1, 0) to (0, 0, 1) about x.
    struct Case {
        const char* name;
        std::unique_ptr<TransformTrack> (*make)();
        Vector3 local;
        Vector3 world;
    } cases[] = {
        {"quaternion about z",
         [] {
             return std::unique_ptr<TransformTrack>(ConstantRotation({0.0f, 0.0f, 1.0f}, kHalfPi));
         },
         {1.0f, 0.0f, 0.0f},
         {0.0f, -1.0f, 0.0f}},
        {"quaternion about x",
         [] {
             return std::unique_ptr<TransformTrack>(ConstantRotation({1.0f, 0.0f, 0.0f}, kHalfPi));
         },
         {0.0f, 1.0f, 0.0f},
         {0.0f, 0.0f, -1.0f}},
        {"euler about z",
         [] {
             return std::unique_ptr<TransformTrack>(
                 Constant<EulerRotationTrack>({0.0f, 0.0f, kHalfPi}));
         },
         {1.0f, 0.0f, 0.0f},
         {0.0f, 1.0f, 0.0f}},
        {"euler about x",
         [] {
             return std::unique_ptr<TransformTrack>(
                 Constant<EulerRotationTrack>({kHalfPi, 0.0f, 0.0f}));
         },
         {0.0f, 1.0f, 0.0f},
         {0.0f, 0.0f, 1.0f}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        Controller* root = NewNode(scene);
        Controller* node = NewNode(scene);
        AddChild(root, node);
        root->positionTrack = Constant<PositionTrack>({0.0f, 0.0f, 100.0f});
        node->rotationTrack = c.make();
        scene.rootController = root;

        scene.Evaluate(0.0f);

        ExpectVectorNear(Vector3Transform(c.local, node->world),
                         c.world + Vector3(0.0f, 0.0f, 100.0f), 1e-5f);
    }
}

} // namespace
