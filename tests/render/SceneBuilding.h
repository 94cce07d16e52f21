// Helpers the render tests share for building scene graphs by hand: nodes, the objects they
// drive, keys and prepared tracks, and the matrix and vector checks several of them make.
#pragma once

#include "anim/Matrix.h"
#include "anim/Track.h"
#include "anim/Vector3.h"
#include "scene/Controller.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

// A bare node owned by scene: no tracks, no object, no children.
inline Controller* NewNode(Scene& scene) {
    return scene.AdoptController(std::make_unique<Controller>(&scene));
}

// Appends child at the end of parent's list of children.
inline void AddChild(Controller* parent, Controller* child) {
    if (!parent->child) {
        parent->child = child;
        return;
    }
    Controller* last = parent->child;
    while (last->sibling) {
        last = last->sibling;
    }
    last->sibling = child;
}

// An object of class Object owned by scene, built from the scene and args, driven by no node.
template <typename Object, typename... Args>
Object* Adopt(Scene& scene, Args&&... args) {
    return static_cast<Object*>(
        scene.AdoptObject(std::make_unique<Object>(&scene, std::forward<Args>(args)...)));
}

// An object of class Object owned by scene, built from the scene and args, driven by node.
template <typename Object, typename... Args>
Object* Drive(Scene& scene, Controller* node, Args&&... args) {
    Object* object = Adopt<Object>(scene, std::forward<Args>(args)...);
    node->object = object;
    return object;
}

// A vector key at time with default tension, continuity, bias and easing.
inline VectorKey Key(float time, const Vector3& value) {
    VectorKey key;
    key.time = time;
    key.value = value;
    return key;
}

// A vector track of class TrackType (position, scale or Euler rotation) through keys, prepared.
template <typename TrackType>
std::unique_ptr<TrackType> Vectors(std::vector<VectorKey> keys) {
    auto track = std::make_unique<TrackType>();
    track->keys = std::move(keys);
    track->PrepareKeys();
    return track;
}

// A vector track of class TrackType holding value at all times: one key at time 0.
template <typename TrackType>
std::unique_ptr<TrackType> Constant(const Vector3& value) {
    return Vectors<TrackType>({Key(0.0f, value)});
}

// A translation by (x, y, z) (row vectors: in the last row).
inline Matrix Translation(float x, float y, float z) {
    Matrix m = MatrixIdentity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

// Each coordinate within tolerance of the expected one.
inline void ExpectVectorNear(const Vector3& actual, const Vector3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}
