// Tests of the bounds-checked byte reader.
#include "image/ByteReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

const std::vector<std::uint8_t> kBytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xFF, 0xFF};

TEST(ByteReaderTest, ValuesAreLittleEndian) {
    ByteReader reader(kBytes);
    EXPECT_EQ(reader.U8(), 0x01);
    EXPECT_EQ(reader.U16(), 0x0302);
    EXPECT_EQ(reader.U32(), 0x07060504u);
    EXPECT_EQ(reader.Position(), 7u);
    EXPECT_EQ(reader.I32(), 0); // 2 bytes left: reads as zero
    EXPECT_TRUE(reader.Overrun());
    EXPECT_EQ(reader.Position(), kBytes.size());
    ByteReader negative(kBytes);
    negative.Seek(5);
    EXPECT_EQ(negative.I32(), static_cast<std::int32_t>(0xFFFF0706u));
    EXPECT_FALSE(negative.Overrun());
}

TEST(ByteReaderTest, ReadsPastTheEndGiveZeroAndMarkTheOverrun) {
    struct Case {
        std::size_t start;
        int width; // bytes of the value read
        std::uint32_t value;
        bool overrun;
    } cases[] = {
        {8, 1, 0xFF, false}, {9, 1, 0, true},           {7, 2, 0xFFFF, false},
        {8, 2, 0, true},     {5, 4, 0xFFFF0706, false}, {6, 4, 0, true},
    };
    for (const Case& c : cases) {
        ByteReader reader(kBytes);
        ASSERT_TRUE(reader.Seek(c.start));
        const std::uint32_t value = c.width == 1   ? reader.U8()
                                    : c.width == 2 ? reader.U16()
                                                   : reader.U32();
        EXPECT_EQ(value, c.value) << c.start << "+" << c.width;
        EXPECT_EQ(reader.Overrun(), c.overrun) << c.start << "+" << c.width;
    }
}

TEST(ByteReaderTest, SeekSkipAndTakeStayWithinTheBytes) {
    ByteReader reader(kBytes);
    EXPECT_TRUE(reader.Seek(9)); // the end itself
    EXPECT_FALSE(reader.Seek(10));
    EXPECT_EQ(reader.Position(), 9u);
    EXPECT_TRUE(reader.Seek(2));
    EXPECT_FALSE(reader.Skip(8));
    EXPECT_EQ(reader.Position(), 2u);
    EXPECT_TRUE(reader.Skip(3));
    std::span<const std::uint8_t> taken;
    EXPECT_FALSE(reader.Take(5, taken));
    EXPECT_TRUE(taken.empty());
    EXPECT_EQ(reader.Position(), 5u);
    EXPECT_TRUE(reader.Overrun());
    ASSERT_TRUE(reader.Take(4, taken));
    EXPECT_EQ(taken.data(), kBytes.data() + 5);
    EXPECT_EQ(taken.size(), 4u);
    EXPECT_EQ(reader.Remaining(), 0u);
    EXPECT_TRUE(reader.Take(0, taken));
}

} // namespace
