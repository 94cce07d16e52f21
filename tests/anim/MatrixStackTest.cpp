// Tests of the matrix stack the hierarchy walk composes world transforms with.
#include "anim/MatrixStack.h"

#include "anim/Matrix.h"
#include "anim/Vector3.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A matrix whose sixteen elements are distinct and tell `tag` apart from other tags; every value
// is an integer below 2^24, so it is exact in f32.
Matrix Tagged(int tag) {
    Matrix m;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m.m[i][j] = static_cast<float>(tag * 100 + i * 4 + j + 1);
        }
    }
    return m;
}

void ExpectMatrixEq(const Matrix& actual, const Matrix& expected) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(actual.m[i][j], expected.m[i][j]) << "element (" << i << ", " << j << ")";
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

TEST(MatrixStackTest, NewStackIsEmpty) {
    const MatrixStack stack;
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(stack.Size(), 0u);
}

TEST(MatrixStackTest, PeekOnEmptyStackReturnsZeroMatrixNotIdentity) {
    const MatrixStack stack;
    ExpectAllZero(stack.Peek());
    EXPECT_TRUE(stack.IsEmpty());
}

TEST(MatrixStackTest, PopOnEmptyStackReturnsZeroMatrixAndLeavesItEmpty) {
    MatrixStack stack;
    ExpectAllZero(stack.Pop());
    EXPECT_TRUE(stack.IsEmpty());
    ExpectAllZero(stack.Pop());
    EXPECT_TRUE(stack.IsEmpty());

    // Extra pops did not leave anything behind that a later push would sit on.
    stack.Push(Tagged(1));
    EXPECT_EQ(stack.Size(), 1u);
    ExpectMatrixEq(stack.Pop(), Tagged(1));
    EXPECT_TRUE(stack.IsEmpty());
    ExpectAllZero(stack.Peek());
}

TEST(MatrixStackTest, PeekReturnsTopWithoutRemovingIt) {
    MatrixStack stack;
    stack.Push(Tagged(1));
    stack.Push(Tagged(2));
    ExpectMatrixEq(stack.Peek(), Tagged(2));
    ExpectMatrixEq(stack.Peek(), Tagged(2));
    EXPECT_EQ(stack.Size(), 2u);
}

TEST(MatrixStackTest, PopReturnsMatricesInReverseOrderOfPush) {
    MatrixStack stack;
    for (int tag = 1; tag <= 4; ++tag) {
        stack.Push(Tagged(tag));
        ExpectMatrixEq(stack.Peek(), Tagged(tag));
    }
    for (int tag = 4; tag >= 1; --tag) {
        SCOPED_TRACE(testing::Message() << "tag " << tag);
        ExpectMatrixEq(stack.Pop(), Tagged(tag));
        if (tag > 1) {
            ExpectMatrixEq(stack.Peek(), Tagged(tag - 1));
        }
    }
    EXPECT_TRUE(stack.IsEmpty());
    ExpectAllZero(stack.Pop());
}

TEST(MatrixStackTest, PushStoresCopyAndPeekReturnsCopy) {
    MatrixStack stack;
    Matrix source = Tagged(3);
    stack.Push(source);
    source.Fill(-1.0f);
    ExpectMatrixEq(stack.Peek(), Tagged(3));

    Matrix peeked = stack.Peek();
    peeked.Fill(-2.0f);
    ExpectMatrixEq(stack.Pop(), Tagged(3));
}

TEST(MatrixStackTest, ClearRemovesEveryMatrix) {
    MatrixStack stack;
    for (int tag = 1; tag <= 5; ++tag) {
        stack.Push(Tagged(tag));
    }
    stack.Clear();
    EXPECT_TRUE(stack.IsEmpty());
    ExpectAllZero(stack.Peek());
    ExpectAllZero(stack.Pop());
    EXPECT_TRUE(stack.IsEmpty());

    stack.Clear();
    EXPECT_TRUE(stack.IsEmpty());
}

TEST(MatrixStackTest, GrowPopAndClearCyclesKeepWorking) {
    // Each cycle pushes `depth` matrices, pops `popped` of them, pushes `repushed` more and then
    // either pops everything or clears. Depths go up and down so later cycles run on storage an
    // earlier, deeper cycle left behind.
    struct Case {
        int depth;
        int popped;
        int repushed;
        bool clearAtEnd;
    } cases[] = {
        {1, 1, 0, false}, {40, 10, 5, true},  {3, 2, 6, false}, {100, 50, 60, true},
        {0, 0, 2, false}, {64, 64, 1, false}, {7, 3, 0, true},  {120, 0, 0, false},
    };
    MatrixStack stack;
    int cycle = 0;
    for (const Case& c : cases) {
        ++cycle;
        SCOPED_TRACE(testing::Message() << "cycle " << cycle);
        ASSERT_TRUE(stack.IsEmpty());
        // Tags of what is on the stack, bottom first; unique across cycles.
        std::vector<int> expected;
        for (int k = 0; k < c.depth; ++k) {
            expected.push_back(cycle * 1000 + k);
            stack.Push(Tagged(expected.back()));
        }
        for (int k = 0; k < c.popped; ++k) {
            ExpectMatrixEq(stack.Pop(), Tagged(expected.back()));
            expected.pop_back();
        }
        for (int k = 0; k < c.repushed; ++k) {
            expected.push_back(cycle * 1000 + 500 + k);
            stack.Push(Tagged(expected.back()));
        }
        EXPECT_EQ(stack.Size(), expected.size());
        if (!expected.empty()) {
            ExpectMatrixEq(stack.Peek(), Tagged(expected.back()));
        }
        if (c.clearAtEnd) {
            stack.Clear();
        } else {
            while (!expected.empty()) {
                ExpectMatrixEq(stack.Pop(), Tagged(expected.back()));
                expected.pop_back();
            }
        }
        EXPECT_TRUE(stack.IsEmpty());
        ExpectAllZero(stack.Peek());
    }
}

TEST(MatrixStackTest, HierarchyWalkRestoresParentTransformAfterEachChild) {
    // Root at the identity; child A translated by (10,0,0) under it with grandchild G scaled by 2
    // and translated by (0,1,0) under A; child B translated by (0,0,5). World = local · parent.
    MatrixStack stack;
    stack.Push(MatrixIdentity());

    stack.Push(MatrixMultiply(MatrixTranslation(10.0f, 0.0f, 0.0f), stack.Peek()));
    ExpectMatrixEq(stack.Peek(), MatrixTranslation(10.0f, 0.0f, 0.0f));

    stack.Push(MatrixMultiply(MatrixMultiply(MatrixScaling(2.0f), MatrixTranslation(0, 1, 0)),
                              stack.Peek()));
    // The grandchild's point (1,1,1) is scaled to (2,2,2), moved to (2,3,2), then to (12,3,2).
    const Vector3 world = Vector3Transform({1.0f, 1.0f, 1.0f}, stack.Peek());
    EXPECT_EQ(world.x, 12.0f);
    EXPECT_EQ(world.y, 3.0f);
    EXPECT_EQ(world.z, 2.0f);
    stack.Pop();
    stack.Pop();

    ExpectMatrixEq(stack.Peek(), MatrixIdentity());
    stack.Push(MatrixMultiply(MatrixTranslation(0.0f, 0.0f, 5.0f), stack.Peek()));
    ExpectMatrixEq(stack.Peek(), MatrixTranslation(0.0f, 0.0f, 5.0f));
    stack.Pop();

    ExpectMatrixEq(stack.Pop(), MatrixIdentity());
    EXPECT_TRUE(stack.IsEmpty());
}

} // namespace
