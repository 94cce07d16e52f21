// Flares: the flare block's reading (including cut-off and oversized blocks), the choice of the
// frame to draw, and each flare's placement, scale and accumulating turn on the shared sprite.
#include "scene/FlareSequence.h"

#include "scene/SceneStream.h"

#include "SceneFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Flare {
    std::int32_t x;
    std::int32_t y;
    float size;
    std::uint32_t extra;
};

// A flare block: frameCount, then per frame its tag, its flare count and its flares.
std::vector<std::uint8_t> FlareBlock(const std::vector<std::vector<Flare>>& frames,
                                     std::uint32_t firstTag = 0) {
    ByteBuilder b;
    b.U32(static_cast<std::uint32_t>(frames.size()));
    std::uint32_t tag = firstTag;
    for (const std::vector<Flare>& frame : frames) {
        b.U32(tag++);
        b.U32(static_cast<std::uint32_t>(frame.size()));
        for (const Flare& flare : frame) {
            b.I32(flare.x).I32(flare.y).F32(flare.size).U32(flare.extra);
        }
    }
    return b.Bytes();
}

class FlareSequenceTest : public SceneDeviceTest {
protected:
    // A sequence read from bytes whose sprite is replaced by a recording one.
    std::unique_ptr<FlareSequence> Read(const std::vector<std::uint8_t>& bytes) {
        SceneStream stream(bytes);
        auto sequence = std::make_unique<FlareSequence>(device.Get(), stream);
        Replace(*sequence->sprite);
        return sequence;
    }

    void Replace(FlareSprite& flareSprite) {
        auto recording = std::make_unique<RecordingSprite>();
        sprite = recording.get();
        flareSprite.sprite = std::move(recording);
    }

    RecordingSprite* sprite = nullptr;
};

TEST_F(FlareSequenceTest, ReadsEveryFrameAndFlareAndStopsAtTheBlocksEnd) {
    ByteBuilder b;
    b.Raw(FlareBlock({
        {{100, 200, 50.0f, 7}, {-3, 650, 12.5f, 0xFFFFFFFF}},
        {},
        {{400, 300, 0.25f, 9}},
    }));
    b.U32(0x12345678); // what follows the block (lastFrame in a file)
    SceneStream stream(b.Bytes());
    FlareSequence sequence(device.Get(), stream);

    ASSERT_EQ(sequence.frameCount, 3u);
    ASSERT_EQ(sequence.frames.size(), 3u);
    const FlareFrame& first = *sequence.frames[0];
    ASSERT_EQ(first.Count(), 2u);
    EXPECT_EQ(first.X(0), 100);
    EXPECT_EQ(first.Y(0), 200);
    EXPECT_EQ(first.Size(0), 50.0f);
    EXPECT_EQ(first.Extra(0), 7u);
    EXPECT_EQ(first.X(1), -3);
    EXPECT_EQ(first.Y(1), 650);
    EXPECT_EQ(first.Size(1), 12.5f);
    EXPECT_EQ(first.Extra(1), 0xFFFFFFFFu);
    EXPECT_EQ(sequence.frames[1]->Count(), 0u);
    ASSERT_EQ(sequence.frames[2]->Count(), 1u);
    EXPECT_EQ(sequence.frames[2]->Size(0), 0.25f);
    EXPECT_EQ(stream.ReadU32(), 0x12345678u);
    EXPECT_TRUE(sequence.sprite);
}

TEST_F(FlareSequenceTest, FrameTagHasNoEffect) {
    const std::vector<std::vector<Flare>> frames = {{{10, 20, 30.0f, 1}}, {{40, 50, 60.0f, 2}}};
    const std::unique_ptr<FlareSequence> a = Read(FlareBlock(frames, 0));
    RecordingSprite* spriteA = sprite;
    const std::unique_ptr<FlareSequence> b = Read(FlareBlock(frames, 0xABCD0000));
    RecordingSprite* spriteB = sprite;
    for (std::uint32_t frame = 0; frame < 2; ++frame) {
        a->Draw(frame);
        b->Draw(frame);
    }
    ASSERT_EQ(spriteA->draws.size(), 2u);
    ASSERT_EQ(spriteB->draws.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(spriteA->draws[i].x, spriteB->draws[i].x);
        EXPECT_EQ(spriteA->draws[i].y, spriteB->draws[i].y);
        EXPECT_EQ(spriteA->draws[i].scaleX, spriteB->draws[i].scaleX);
    }
}

TEST_F(FlareSequenceTest, FramesPastTheEndShowTheLastFrame) {
    // 100 frames; frame i holds one flare at x = i + 1, size 50 (corner at x - 127).
    std::vector<std::vector<Flare>> frames;
    for (int i = 0; i < 100; ++i) {
        frames.push_back({{i + 1, 300, 50.0f, 0}});
    }
    const std::unique_ptr<FlareSequence> sequence = Read(FlareBlock(frames));
    struct Case {
        std::uint32_t frame;
        int shownX;
    } cases[] = {
        {0, 1}, {42, 43}, {99, 100}, {100, 100}, {250, 100}, {0xFFFFFFFF, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        sprite->draws.clear();
        sequence->Draw(c.frame);
        ASSERT_EQ(sprite->draws.size(), 1u);
        EXPECT_EQ(sprite->draws[0].x, static_cast<float>(c.shownX - 127));
    }
}

TEST_F(FlareSequenceTest, EmptySequenceDrawsNothing) {
    const std::unique_ptr<FlareSequence> sequence = Read(FlareBlock({}));
    EXPECT_EQ(sequence->frameCount, 0u);
    sequence->Draw(0);
    sequence->Draw(5);
    EXPECT_TRUE(sprite->calls.empty());
}

TEST_F(FlareSequenceTest, OnlyFlaresStrictlyInsideTheScreenAreDrawn) {
    struct Case {
        std::int32_t x;
        std::int32_t y;
        bool drawn;
    } cases[] = {
        {0, 300, false},  {800, 300, false}, {400, 0, false},  {400, 600, false}, {-5, 300, false},
        {400, -1, false}, {1, 1, true},      {799, 599, true}, {400, 300, true},  {801, 601, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        FlareSprite flare(device.Get(), kFlarePicture);
        Replace(flare);
        flare.Draw(c.x, c.y, 50.0f);
        EXPECT_EQ(sprite->draws.size(), c.drawn ? 1u : 0u);
        // A flare not drawn does not turn the sprite either.
        EXPECT_EQ(sprite->GetRotation(), c.drawn ? 0.1f : 0.0f);
    }
}

TEST_F(FlareSequenceTest, PlacementScaleAndCentreFollowTheSize) {
    // scale = size × 0.02, half = scale × 127.5, corner = centre − trunc(half): by hand.
    struct Case {
        float size;
        float scale;
        float half;
        int offset;
    } cases[] = {
        {50.0f, 1.0f, 127.5f, 127},     // the picture at its own size
        {100.0f, 2.0f, 255.0f, 255},    //
        {75.0f, 1.5f, 191.25f, 191},    // truncation of 191.25
        {1.0f, 0.02f, 2.55f, 2},        //
        {-50.0f, -1.0f, -127.5f, -127}, // truncation toward zero
        {0.0f, 0.0f, 0.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        FlareSprite flare(device.Get(), kFlarePicture);
        Replace(flare);
        flare.Draw(400, 300, c.size);
        ASSERT_EQ(sprite->draws.size(), 1u);
        const RecordingSprite::DrawState& d = sprite->draws[0];
        EXPECT_EQ(d.x, static_cast<float>(400 - c.offset));
        EXPECT_EQ(d.y, static_cast<float>(300 - c.offset));
        EXPECT_FLOAT_EQ(d.centerX, c.half);
        EXPECT_FLOAT_EQ(d.centerY, c.half);
        EXPECT_FLOAT_EQ(d.scaleX, c.scale);
        EXPECT_FLOAT_EQ(d.scaleY, c.scale);
        EXPECT_EQ(sprite->calls, (std::vector<std::string>{"SetPosition", "SetRotationCenter",
                                                           "SetScale", "Rotate", "Draw"}));
    }
}

TEST_F(FlareSequenceTest, SizeThatWouldPutNaNOrInfinityIntoThePlacementIsNotDrawn) {
    struct Case {
        const char* name;
        float size;
    } cases[] = {
        {"NaN", std::numeric_limits<float>::quiet_NaN()},
        {"infinity", std::numeric_limits<float>::infinity()},
        {"minus infinity", -std::numeric_limits<float>::infinity()},
        {"half overflows", 3.0e38f}, // 3e38 × 0.02 × 127.5 is beyond the float range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlareSprite flare(device.Get(), kFlarePicture);
        Replace(flare);
        flare.Draw(400, 300, c.size);
        EXPECT_TRUE(sprite->calls.empty());
    }
}

TEST_F(FlareSequenceTest, HugeFiniteSizeIsPlacedWithoutOverflow) {
    // half = 1e30 × 0.02 × 127.5 is far beyond 32 bits: the truncated offset is the processor's
    // 0x80000000 and 400 − 0x80000000 wraps to −2147483248.
    FlareSprite flare(device.Get(), kFlarePicture);
    Replace(flare);
    flare.Draw(400, 300, 1.0e30f);
    ASSERT_EQ(sprite->draws.size(), 1u);
    EXPECT_EQ(sprite->draws[0].x, static_cast<float>(-2147483248));
    EXPECT_EQ(sprite->draws[0].y, static_cast<float>(-2147483348));
}

TEST_F(FlareSequenceTest, EveryFlareDrawnTurnsTheSharedSpriteATenthOfARadian) {
    const std::unique_ptr<FlareSequence> sequence = Read(FlareBlock({
        {{100, 100, 50.0f, 0}, {200, 200, 50.0f, 0}}, // two flares
        {},                                           // none
        {{0, 100, 50.0f, 0}},                         // one on the edge, not drawn
    }));
    sequence->Draw(0);
    ASSERT_EQ(sprite->draws.size(), 2u);
    EXPECT_FLOAT_EQ(sprite->draws[0].rotation, 0.1f);
    EXPECT_FLOAT_EQ(sprite->draws[1].rotation, 0.2f);
    sequence->Draw(1);
    sequence->Draw(2);
    EXPECT_EQ(sprite->draws.size(), 2u);
    EXPECT_FLOAT_EQ(sprite->GetRotation(), 0.2f);
    // The angle is never reset: the next frame goes on from there.
    sequence->Draw(0);
    ASSERT_EQ(sprite->draws.size(), 4u);
    EXPECT_FLOAT_EQ(sprite->draws[2].rotation, 0.3f);
    EXPECT_FLOAT_EQ(sprite->draws[3].rotation, 0.4f);
}

TEST_F(FlareSequenceTest, BlockCutOffByTheEndOfTheFileKeepsWhatWasWhole) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::vector<std::uint32_t> flareCounts; // per frame read
    } cases[] = {
        {"inside the last frame's flare count",
         ByteBuilder()
             .U32(3) // three frames
             .U32(0)
             .U32(1)
             .I32(100)
             .I32(200)
             .F32(50)
             .U32(5) // frame 0, one flare
             .U32(0)
             .U32(1)
             .I32(300)
             .I32(400)
             .F32(25)
             .U32(6) // frame 1, one flare
             .U32(0)
             .Raw({0x01, 0x00}) // frame 2: tag, half a count
             .Bytes(),
         {1, 1, 0}},
        {"inside a flare",
         ByteBuilder()
             .U32(2) // two frames
             .U32(0)
             .U32(1)
             .I32(100)
             .I32(200)
             .F32(50)
             .U32(5) // frame 0, one flare
             .U32(0)
             .U32(1)
             .I32(300)
             .I32(400)
             .F32(25) // frame 1: 12 of the flare's 16 bytes
             .Bytes(),
         {1, 0}},
        {"right after the frame count", ByteBuilder().U32(2).Bytes(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneStream stream(c.bytes);
        FlareSequence sequence(device.Get(), stream);
        EXPECT_TRUE(stream.AtEnd());
        EXPECT_EQ(sequence.frameCount, c.flareCounts.size());
        ASSERT_EQ(sequence.frames.size(), c.flareCounts.size());
        for (std::size_t i = 0; i < c.flareCounts.size(); ++i) {
            EXPECT_EQ(sequence.frames[i]->Count(), c.flareCounts[i]) << "frame " << i;
        }
        if (!c.flareCounts.empty()) {
            EXPECT_EQ(sequence.frames[0]->X(0), 100);
            EXPECT_EQ(sequence.frames[0]->Extra(0), 5u);
        }
        // Drawing any frame of what was read is safe.
        Replace(*sequence.sprite);
        sequence.Draw(0);
        sequence.Draw(7);
    }
}

TEST_F(FlareSequenceTest, CountsTheRestOfTheFileCannotHoldEndTheBlock) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::uint32_t frames;
    } cases[] = {
        // 0xFFFFFFFF frames of at least 8 bytes in 8 bytes: no frame at all.
        {"frame count", ByteBuilder().U32(0xFFFFFFFF).U32(0).U32(0).Bytes(), 0},
        // One frame announcing 0x40000000 flares of 16 bytes, with 16 bytes left.
        {"flare count",
         ByteBuilder().U32(1).U32(0).U32(0x40000000).I32(1).I32(2).F32(3).U32(4).Bytes(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneStream stream(c.bytes);
        FlareSequence sequence(device.Get(), stream);
        EXPECT_EQ(sequence.frameCount, c.frames);
        ASSERT_EQ(sequence.frames.size(), c.frames);
        for (const auto& frame : sequence.frames) {
            EXPECT_EQ(frame->Count(), 0u);
        }
        EXPECT_TRUE(stream.AtEnd());
    }
}

TEST_F(FlareSequenceTest, FlareFrameIgnoresIndicesBeyondItsCount) {
    FlareFrame frame(1);
    frame.Set(5, 6, 7.0f, 8, 0);
    frame.Set(9, 9, 9.0f, 9, 1);
    EXPECT_EQ(frame.Count(), 1u);
    EXPECT_EQ(frame.X(0), 5);
    EXPECT_EQ(frame.Y(0), 6);
    EXPECT_EQ(frame.Size(0), 7.0f);
    EXPECT_EQ(frame.Extra(0), 8u);
    EXPECT_EQ(frame.X(1), 0);
}

TEST_F(FlareSequenceTest, FlareSpriteLoadsItsPicture) {
    FlareSprite flare(device.Get(), kFlarePicture);
    ASSERT_TRUE(flare.sprite);
    EXPECT_TRUE(flare.sprite->IsLoaded());
    EXPECT_STREQ(kFlarePicture, "data\\flara1.png");
}

} // namespace
