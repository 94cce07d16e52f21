// Helpers of the effect tests.
#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>

int RecordingSprite::LoadFromFileEx(const char* fileName, IDirect3DDevice8* device, UINT width,
                                    UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                    D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette) {
    loads.push_back({fileName ? fileName : "", device, width, height, mipLevels, usage, format,
                     pool, filter, mipFilter, colorKey, srcInfo, palette});
    return Sprite::LoadFromFileEx(fileName, device, width, height, mipLevels, usage, format, pool,
                                  filter, mipFilter, colorKey, srcInfo, palette);
}

HRESULT RecordingSprite::Draw() {
    drawn.push_back({GetPositionX(), GetPositionY(), GetScaleX(), GetScaleY(), centerX, centerY,
                     GetRotation(), alpha});
    return Sprite::Draw();
}

void RecordingSprite::SetColor(int a, int r, int g, int b) {
    alpha = a;
    colourStaysWhite = colourStaysWhite && r == 255 && g == 255 && b == 255;
    Sprite::SetColor(a, r, g, b);
}

void RecordingSprite::SetRotationCenter(float x, float y) {
    centerX = x;
    centerY = y;
    Sprite::SetRotationCenter(x, y);
}

std::vector<std::uint8_t> FlatBmp(int width, int height, D3DCOLOR rgb) {
    const int rowBytes = (width * 3 + 3) & ~3;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(rowBytes * height);
    std::vector<std::uint8_t> b;
    auto le16 = [&b](std::uint32_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto le32 = [&](std::uint32_t v) {
        le16(v & 0xFFFF);
        le16(v >> 16);
    };
    b.push_back('B');
    b.push_back('M');
    le32(14 + 40 + pixelBytes); // file size
    le32(0);                    // reserved
    le32(14 + 40);              // offset of the pixels
    le32(40);                   // info header size
    le32(static_cast<std::uint32_t>(width));
    le32(static_cast<std::uint32_t>(height)); // positive: rows bottom-up
    le16(1);                                  // planes
    le16(24);                                 // bits per pixel
    le32(0);                                  // no compression
    le32(pixelBytes);
    le32(2835); // 72 dpi
    le32(2835);
    le32(0); // no palette
    le32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            b.push_back(static_cast<std::uint8_t>(rgb));       // blue
            b.push_back(static_cast<std::uint8_t>(rgb >> 8));  // green
            b.push_back(static_cast<std::uint8_t>(rgb >> 16)); // red
        }
        for (int pad = width * 3; pad < rowBytes; ++pad) {
            b.push_back(0);
        }
    }
    return b;
}

DataFolder::DataFolder() : previous(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "demo-effects-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    root = pattern;
    std::filesystem::create_directory(root / "data");
    std::filesystem::current_path(root);
}

DataFolder::~DataFolder() {
    std::error_code error;
    std::filesystem::current_path(previous, error);
    std::filesystem::remove_all(root, error);
}

void DataFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::string file = (root / "data" / name).string();
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) {
        throw std::runtime_error("cannot write " + file);
    }
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (written != bytes.size()) {
        throw std::runtime_error("cannot write " + file);
    }
}

std::vector<std::vector<QuadVertex>> RecordedQuads(const RecordingDevice& recorder) {
    std::vector<std::vector<QuadVertex>> quads;
    for (const RecordedCall& call : recorder.CallsNamed("DrawPrimitiveUP")) {
        if (call.result != D3D_OK) {
            ADD_FAILURE() << "refused draw: " << call.ToString();
            continue;
        }
        const auto& bytes = call.args[2].As<std::vector<BYTE>>();
        std::vector<QuadVertex> quad(bytes.size() / sizeof(QuadVertex));
        std::memcpy(quad.data(), bytes.data(), quad.size() * sizeof(QuadVertex));
        quads.push_back(quad);
    }
    return quads;
}

ScreenPoint MapTexel(const std::vector<QuadVertex>& quad, double x, double y, double width,
                     double height) {
    const double u = x / width;
    const double v = y / height;
    return {quad[0].x + u * (quad[1].x - quad[0].x) + v * (quad[3].x - quad[0].x),
            quad[0].y + u * (quad[1].y - quad[0].y) + v * (quad[3].y - quad[0].y)};
}

void ExpectDemoPictureLoad(const FileExLoad& load, const char* fileName, IDirect3DDevice8* device) {
    EXPECT_EQ(load.fileName, fileName);
    EXPECT_EQ(load.device, device);
    EXPECT_EQ(load.width, 0u);
    EXPECT_EQ(load.height, 0u);
    EXPECT_EQ(load.mipLevels, 0u);
    EXPECT_EQ(load.usage, 0u);
    EXPECT_EQ(load.format, D3DFMT_UNKNOWN);
    EXPECT_EQ(load.pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(load.filter, 1u);
    EXPECT_EQ(load.mipFilter, 0xFFFFFFFFu);
    EXPECT_EQ(load.colorKey, 0u);
    EXPECT_EQ(load.srcInfo, nullptr);
    EXPECT_EQ(load.palette, nullptr);
}
