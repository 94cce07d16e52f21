// SceneStream: little-endian primitive reads, the end-of-file rule, strings, the flare block's
// raw reads, and the count check that keeps file counts from sizing allocations.
#include "scene/SceneStream.h"

#include "SceneFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

TEST(SceneStreamTest, ReadsLittleEndianFieldsInOrder) {
    const std::vector<std::uint8_t> bytes = {
        0x01, 0x02, 0x03, 0x04, // u32 0x04030201
        0x05, 0x06,             // u16 0x0605
        0x00, 0x00, 0xC0, 0x3F, // f32 1.5
        0x00, 0x00, 0x80, 0xBF, // Vector3 x -1.0
        0x00, 0x00, 0x00, 0x40, //         y 2.0
        0x00, 0x00, 0x20, 0x41, //         z 10.0
        'a',  'B',  0x00,       // string "aB"
        0x00,                   // empty string
    };
    SceneStream stream(bytes);
    EXPECT_EQ(stream.ReadU32(), 0x04030201u);
    EXPECT_EQ(stream.ReadU16(), 0x0605u);
    EXPECT_EQ(stream.ReadF32(), 1.5f);
    EXPECT_EQ(stream.ReadVector3(), Vector3(-1.0f, 2.0f, 10.0f));
    EXPECT_EQ(stream.ReadString(), std::optional<std::string>("aB"));
    // A lone NUL is a valid, empty string, not a missing one.
    EXPECT_EQ(stream.ReadString(), std::optional<std::string>(""));
    EXPECT_EQ(stream.Position(), bytes.size());
    // The last read ended exactly at the last byte: the indicator stays clear.
    EXPECT_FALSE(stream.AtEnd());
}

TEST(SceneStreamTest, ReadPastTheEndSetsIndicatorAndEveryLaterReadIsZero) {
    const std::vector<std::uint8_t> bytes = {0x2A, 0x00, 0x00, 0x00};
    SceneStream stream(bytes);
    EXPECT_EQ(stream.ReadU32(), 42u);
    EXPECT_FALSE(stream.AtEnd());
    EXPECT_EQ(stream.ReadU32(), 0u);
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_EQ(stream.ReadU16(), 0u);
    EXPECT_EQ(stream.ReadF32(), 0.0f);
    EXPECT_EQ(stream.ReadVector3(), Vector3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(stream.ReadString(), std::nullopt);
    EXPECT_EQ(stream.Remaining(), 0u);
}

TEST(SceneStreamTest, FieldCutOffByTheEndReadsAsZeroAndConsumesTheRest) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        int field; // 0 u32, 1 u16, 2 f32
    } cases[] = {
        {"u32 of 3 bytes", {0xFF, 0xFF, 0xFF}, 0},
        {"u32 of 1 byte", {0x07}, 0},
        {"u16 of 1 byte", {0xFF}, 1},
        {"f32 of 2 bytes", {0x80, 0x3F}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneStream stream(c.bytes);
        switch (c.field) {
        case 0:
            EXPECT_EQ(stream.ReadU32(), 0u);
            break;
        case 1:
            EXPECT_EQ(stream.ReadU16(), 0u);
            break;
        default:
            EXPECT_EQ(stream.ReadF32(), 0.0f);
            break;
        }
        EXPECT_TRUE(stream.AtEnd());
        EXPECT_EQ(stream.Remaining(), 0u);
    }
}

TEST(SceneStreamTest, StringWithoutNulBeforeTheEndIsNone) {
    const std::vector<std::uint8_t> bytes = {'a', 'b', 'c'};
    SceneStream stream(bytes);
    EXPECT_EQ(stream.ReadString(), std::nullopt);
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_EQ(stream.ReadU32(), 0u);
}

TEST(SceneStreamTest, StringLongerThan255CharactersIsKeptWholeAndTheNextFieldFollows) {
    const std::string longName(300, 'x');
    ByteBuilder b;
    b.Str(longName).U32(0xDEADBEEF);
    SceneStream stream(b.Bytes());
    EXPECT_EQ(stream.ReadString(), std::optional<std::string>(longName));
    EXPECT_EQ(stream.ReadU32(), 0xDEADBEEFu);
    EXPECT_FALSE(stream.AtEnd());
}

TEST(SceneStreamTest, RawReadsTakeFourBytesAsTheyCome) {
    const std::vector<std::uint8_t> bytes = {
        0xFE, 0xFF, 0xFF, 0xFF, // i32 -2
        0x00, 0x00, 0x48, 0x42, // f32 50.0
        0x10, 0x20, 0x30, 0x40, // u32 0x40302010
        0x01, 0x02,             // two bytes left
    };
    SceneStream stream(bytes);
    EXPECT_EQ(stream.ReadRawI32(), -2);
    EXPECT_EQ(stream.ReadRawF32(), 50.0f);
    EXPECT_EQ(stream.ReadRawU32(), 0x40302010u);
    EXPECT_FALSE(stream.AtEnd());
    // A raw read that finds fewer than 4 bytes gives 0 and sets the indicator.
    EXPECT_EQ(stream.ReadRawU32(), 0u);
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_EQ(stream.ReadRawI32(), 0);
}

TEST(SceneStreamTest, CanHoldComparesCountsWithTheRemainingBytes) {
    constexpr std::uint64_t kMaxCount = std::numeric_limits<std::uint32_t>::max();
    struct Case {
        const char* name;
        std::size_t remaining;
        std::uint64_t count;
        std::uint64_t recordBytes;
        bool holds;
    } cases[] = {
        {"no records", 0, 0, 36, true},
        {"exactly fits", 72, 2, 36, true},
        {"fits with bytes to spare", 80, 2, 36, true},
        {"one byte short", 71, 2, 36, false},
        {"one record in an empty rest", 0, 1, 2, false},
        {"largest u32 count of bones", 1000, kMaxCount, 90, false},
        {"count whose byte total overflows 64 bits", 1000,
         std::numeric_limits<std::uint64_t>::max(), 48, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes(c.remaining, 0xAB);
        SceneStream stream(bytes);
        EXPECT_EQ(stream.CanHold(c.count, c.recordBytes), c.holds);
        if (c.holds) {
            // A passing check reads nothing.
            EXPECT_FALSE(stream.AtEnd());
            EXPECT_EQ(stream.Remaining(), c.remaining);
        } else {
            // A failing check ends the file here.
            EXPECT_TRUE(stream.AtEnd());
            EXPECT_EQ(stream.Remaining(), 0u);
            EXPECT_EQ(stream.ReadU32(), 0u);
        }
    }
}

TEST(SceneStreamTest, EndHereMakesTheRestUnread) {
    const std::vector<std::uint8_t> bytes = {0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
    SceneStream stream(bytes);
    EXPECT_EQ(stream.ReadU32(), 1u);
    stream.EndHere();
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_EQ(stream.Remaining(), 0u);
    EXPECT_EQ(stream.ReadU32(), 0u);
    EXPECT_EQ(stream.ReadString(), std::nullopt);
}

} // namespace
