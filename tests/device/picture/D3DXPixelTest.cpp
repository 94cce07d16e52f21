// The utility layer's textures and sprites on the headless device (a device that needs
// power-of-two textures, as the program's does), checked by the pixels they draw.
#include "DeviceSnapshot.h"
#include "device/D3DXSprite.h"
#include "device/D3DXTexture.h"
#include "device/DeviceOptions.h"
#include "device/gl/HeadlessDevice.h"

#include <gtest/gtest.h>

#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace headless;

namespace {

// The 800 × 600 picture: four flat quadrants of saturated colours split at column 400 and row 304
// (both multiples of 8, so every 8 × 8 JPEG block is flat).
constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 600;
constexpr int kSplitX = 400;
constexpr int kSplitY = 304;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kBlue = 0xFF0000FF;
constexpr D3DCOLOR kYellow = 0xFFFFFF00;
constexpr D3DCOLOR kMagenta = 0xFFFF00FF;
constexpr D3DCOLOR kBlack = 0xFF000000;
// [row][column]: top-left, top-right, bottom-left, bottom-right.
constexpr D3DCOLOR kQuadrant[2][2] = {{kRed, kGreen}, {kBlue, kYellow}};

D3DCOLOR PictureColour(int x, int y) {
    return kQuadrant[y >= kSplitY ? 1 : 0][x >= kSplitX ? 1 : 0];
}

// A colour's channels lose a little in JPEG's colour conversion, even for flat blocks at full
// quality.
constexpr unsigned kJpegTolerance = 3;

// Writes the quadrant picture as a baseline JPEG with full-resolution chroma at quality 100.
void WriteQuadrantJpeg(const std::string& path) {
    std::vector<JSAMPLE> rgb(static_cast<std::size_t>(kPictureWidth) * kPictureHeight * 3);
    for (int y = 0; y < kPictureHeight; ++y) {
        for (int x = 0; x < kPictureWidth; ++x) {
            const D3DCOLOR c = PictureColour(x, y);
            JSAMPLE* p = &rgb[(static_cast<std::size_t>(y) * kPictureWidth + x) * 3];
            p[0] = static_cast<JSAMPLE>(Channel(c, 16));
            p[1] = static_cast<JSAMPLE>(Channel(c, 8));
            p[2] = static_cast<JSAMPLE>(Channel(c, 0));
        }
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = kPictureWidth;
    info.image_height = kPictureHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int i = 0; i < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = 1;
        info.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &rgb[static_cast<std::size_t>(info.next_scanline) * kPictureWidth * 3];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// Writes width × height 0xAARRGGBB pixels as an 8-bit RGBA PNG (no gamma chunk).
void WriteRgbaPng(const std::string& path, int width, int height,
                  const std::vector<D3DCOLOR>& argb) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const D3DCOLOR c = argb[static_cast<std::size_t>(y) * width + x];
            png_byte* p = &row[static_cast<std::size_t>(x) * 4];
            p[0] = static_cast<png_byte>(Channel(c, 16));
            p[1] = static_cast<png_byte>(Channel(c, 8));
            p[2] = static_cast<png_byte>(Channel(c, 0));
            p[3] = static_cast<png_byte>(Channel(c, 24));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

// Source-alpha over inverse-source-alpha blending of `source` (its alpha `alpha`, 0..255) over
// `destination`, every channel alpha included, rounded to 8 bits:
// out = (s · a + d · (255 − a)) / 255.
D3DCOLOR Blend(D3DCOLOR source, unsigned alpha, D3DCOLOR destination) {
    D3DCOLOR out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double s = shift == 24 ? alpha : Channel(source, shift);
        const double d = Channel(destination, shift);
        const double value = (s * alpha + d * (255.0 - alpha)) / 255.0;
        out |= static_cast<D3DCOLOR>(std::lround(value)) << shift;
    }
    return out;
}

// Channel-wise sum, saturated at 255.
D3DCOLOR AddSaturated(D3DCOLOR a, D3DCOLOR b) {
    D3DCOLOR out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        out |= std::min(255u, Channel(a, shift) + Channel(b, shift)) << shift;
    }
    return out;
}

DWORD FloatBits(float f) {
    DWORD bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// The colour the quadrant picture shows over the picture-space box [x0, x1] × [y0, y1] (pixel
// centres at integers), or nothing when the box comes within `margin` of a quadrant boundary.
std::optional<D3DCOLOR> QuadrantColourOver(double x0, double y0, double x1, double y1,
                                           double margin) {
    const double splitX = kSplitX - 0.5;
    const double splitY = kSplitY - 0.5;
    const bool left = x1 + margin < splitX;
    const bool right = x0 - margin > splitX;
    const bool top = y1 + margin < splitY;
    const bool bottom = y0 - margin > splitY;
    if ((!left && !right) || (!top && !bottom)) {
        return std::nullopt;
    }
    return kQuadrant[bottom ? 1 : 0][right ? 1 : 0];
}

class D3DXPixels : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        DeviceOptions options;
        options.powerOfTwoTexturesOnly = true;
        device.Reset();
        d3d.Reset(Direct3DCreate8(D3D_SDK_VERSION, options));
        ASSERT_TRUE(d3d);
        ASSERT_TRUE(Recreate(true));
        D3DCAPS8 caps{};
        ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
        ASSERT_NE(caps.TextureCaps & D3DPTEXTURECAPS_POW2, 0u);
        ASSERT_EQ(caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 0u);
        ASSERT_EQ(D3DXCreateSprite(device.Get(), sprite.ReleaseAndGetAddressOf()), D3D_OK);
        ASSERT_TRUE(sprite);
    }

    void TearDown() override {
        sprite.Reset();
        for (const std::string& path : files_) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
        HeadlessDeviceTest::TearDown();
    }

    // A path in the temporary folder for this process and test, removed after the test.
    std::string TempPath(const std::string& suffix) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() /
            ("d3dx_pixels_" + std::to_string(::getpid()) + "_" + test->name() + suffix);
        files_.push_back(path.string());
        return path.string();
    }

    void ClearTo(D3DCOLOR colour) {
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0),
                  D3D_OK);
    }

    // One sprite draw between Begin and End.
    void DrawSprite(IDirect3DTexture8* texture, D3DXVECTOR2 translation, D3DCOLOR colour,
                    D3DXVECTOR2 scaling = {1.0f, 1.0f}, D3DXVECTOR2 centre = {0.0f, 0.0f},
                    float rotation = 0.0f) {
        ASSERT_EQ(sprite->Begin(), D3D_OK);
        EXPECT_EQ(sprite->Draw(texture, nullptr, &scaling, &centre, rotation, &translation, colour),
                  D3D_OK);
        ASSERT_EQ(sprite->End(), D3D_OK);
    }

    // A pre-transformed quad over pixels [left, right) × [top, bottom), wound clockwise or
    // counter-clockwise on screen, texture coordinates 0..1.
    void DrawWoundQuad(const Rect& r, D3DCOLOR colour, bool clockwise) {
        const float l = static_cast<float>(r.left) - 0.5f;
        const float t = static_cast<float>(r.top) - 0.5f;
        const float rt = static_cast<float>(r.right) - 0.5f;
        const float b = static_cast<float>(r.bottom) - 0.5f;
        const ScreenVertex cw[4] = {
            {l, t, 0.0f, 1.0f, colour, 0.0f, 0.0f},
            {rt, t, 0.0f, 1.0f, colour, 1.0f, 0.0f},
            {rt, b, 0.0f, 1.0f, colour, 1.0f, 1.0f},
            {l, b, 0.0f, 1.0f, colour, 0.0f, 1.0f},
        };
        const ScreenVertex ccw[4] = {cw[0], cw[3], cw[2], cw[1]};
        device->SetVertexShader(kScreenFvf);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, clockwise ? cw : ccw,
                                          sizeof(ScreenVertex)),
                  D3D_OK);
    }

    // The quadrant JPEG through the program's "Ex" call: picture size, default pool, no filter.
    DevicePtr<IDirect3DTexture8> LoadQuadrantJpegEx() {
        const std::string path = TempPath(".jpg");
        WriteQuadrantJpeg(path);
        DevicePtr<IDirect3DTexture8> texture;
        EXPECT_EQ(D3DXCreateTextureFromFileExA(device.Get(), path.c_str(), 0, 0, 0, 0,
                                               D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, D3DX_FILTER_NONE,
                                               D3DX_DEFAULT, 0, nullptr, nullptr,
                                               texture.ReleaseAndGetAddressOf()),
                  D3D_OK);
        return texture;
    }

    DevicePtr<ID3DXSprite> sprite;

private:
    std::vector<std::string> files_;
};

// The smallest power of two at least v.
UINT PowerOfTwoAtLeast(UINT v) {
    UINT p = 1;
    while (p < v) {
        p *= 2;
    }
    return p;
}

TEST_F(D3DXPixels, JpegExOnPowerOfTwoDeviceIsUnscaledInTheCornerWithBlackBeyond) {
    const auto texture = LoadQuadrantJpegEx();
    ASSERT_TRUE(texture);
    const UINT side = PowerOfTwoAtLeast(kPictureWidth);
    ASSERT_EQ(side, PowerOfTwoAtLeast(kPictureHeight));
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, side);
    EXPECT_EQ(desc.Height, side);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);

    // At (0, 0) with scaling 1 the picture fills the 800 × 600 back buffer exactly, one texel per
    // pixel: each quadrant, up to the pixels on the screen's edges and corners, is its colour. A
    // shift by a pixel or half a pixel would bring the black texels beyond the picture, or the
    // background, into the last row and column, and move the quadrant boundaries.
    ClearTo(kMagenta);
    DrawSprite(texture.Get(), {0.0f, 0.0f}, 0xFFFFFFFF);
    auto frame = PresentAndRead();
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            const Rect quadrant = {column ? kSplitX : 0, row ? kSplitY : 0,
                                   column ? kPictureWidth : kSplitX,
                                   row ? kPictureHeight : kSplitY};
            EXPECT_TRUE(AreaIs(frame, quadrant, kQuadrant[row][column], kJpegTolerance))
                << "quadrant " << row << ", " << column;
        }
    }
    const struct {
        int x, y;
    } corners[] = {{0, 0}, {kWidth - 1, 0}, {0, kHeight - 1}, {kWidth - 1, kHeight - 1}};
    for (const auto& c : corners) {
        EXPECT_TRUE(
            AreaIs(frame, {c.x, c.y, c.x + 1, c.y + 1}, PictureColour(c.x, c.y), kJpegTolerance))
            << "corner " << c.x << ", " << c.y;
    }

    // Moved up and left by (224, 424), the texels beyond the picture's right and bottom edges
    // come on screen from column 800 − 224 and row 600 − 424: black, exactly from there.
    const int dx = 224;
    const int dy = 424;
    const int pictureRight = kPictureWidth - dx;
    const int pictureBottom = kPictureHeight - dy;
    ClearTo(kMagenta);
    DrawSprite(texture.Get(), {-static_cast<float>(dx), -static_cast<float>(dy)}, 0xFFFFFFFF);
    frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {0, 0, kSplitX - dx, pictureBottom},
                       PictureColour(kSplitX - 1, kPictureHeight - 1), kJpegTolerance));
    EXPECT_TRUE(AreaIs(frame, {kSplitX - dx, 0, pictureRight, pictureBottom},
                       PictureColour(kPictureWidth - 1, kPictureHeight - 1), kJpegTolerance));
    EXPECT_TRUE(AreaIs(frame, {pictureRight, 0, kWidth, kHeight}, kBlack, 0));
    EXPECT_TRUE(AreaIs(frame, {0, pictureBottom, pictureRight, kHeight}, kBlack, 0));
}

TEST_F(D3DXPixels, JpegThroughTheManagedFormFillsTheWholeTexture) {
    const std::string path = TempPath(".jpg");
    WriteQuadrantJpeg(path);
    DevicePtr<IDirect3DTexture8> texture;
    ASSERT_EQ(
        D3DXCreateTextureFromFileA(device.Get(), path.c_str(), texture.ReleaseAndGetAddressOf()),
        D3D_OK);
    ASSERT_TRUE(texture);
    const UINT side = PowerOfTwoAtLeast(kPictureWidth);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, side);
    EXPECT_EQ(desc.Height, side);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);

    // Texel t of the stretched texture shows picture coordinate (t + 0.5) · size / side − 0.5.
    // Drawn one texel per pixel at two places (the second brings the far corner on screen),
    // every 50-pixel block (inset by 5) whose texels lie well inside one quadrant of the
    // picture shows that quadrant's colour; none is black.
    const double sx = static_cast<double>(kPictureWidth) / side;
    const double sy = static_cast<double>(kPictureHeight) / side;
    const struct { int dx, dy; } placements[] = {{0, 0}, {224, 424}};
    for (const auto& p : placements) {
        ClearTo(kMagenta);
        DrawSprite(texture.Get(), {-static_cast<float>(p.dx), -static_cast<float>(p.dy)},
                   0xFFFFFFFF);
        const auto frame = PresentAndRead();
        int checked = 0;
        for (int y = 0; y < kHeight; y += 50) {
            for (int x = 0; x < kWidth; x += 50) {
                const Rect block = {x + 5, y + 5, x + 45, y + 45};
                const double tx0 = block.left + p.dx;
                const double ty0 = block.top + p.dy;
                const double tx1 = block.right - 1 + p.dx;
                const double ty1 = block.bottom - 1 + p.dy;
                const auto expected =
                    QuadrantColourOver((tx0 + 0.5) * sx - 0.5, (ty0 + 0.5) * sy - 0.5,
                                       (tx1 + 0.5) * sx - 0.5, (ty1 + 0.5) * sy - 0.5, 4.0);
                if (!expected) {
                    continue;
                }
                ++checked;
                EXPECT_TRUE(AreaIs(frame, block, *expected, kJpegTolerance + 1))
                    << "placement " << p.dx << ", " << p.dy << " block " << x << ", " << y;
            }
        }
        EXPECT_GT(checked, 150);
    }
    // The last texels of all, at the far corner, are the picture's bottom-right colour.
    const auto frame = ReadFront();
    EXPECT_TRUE(AreaIs(frame, {kWidth - 8, kHeight - 8, kWidth, kHeight},
                       PictureColour(kPictureWidth - 1, kPictureHeight - 1), kJpegTolerance + 1));
}

TEST_F(D3DXPixels, PngAlphaIsKeptAndBlendsUnderAnOpaqueColour) {
    // Four vertical bands of 64 × 128 texels, each with its colour and alpha.
    const struct Band {
        D3DCOLOR rgb;
        unsigned alpha;
    } bands[] = {{0xFF0000, 0x00}, {0x00FF00, 0x40}, {0xFFFF00, 0xC0}, {0xFFFFFF, 0xFF}};
    const int bandWidth = 64;
    const int width = bandWidth * 4;
    const int height = 128;
    std::vector<D3DCOLOR> argb(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Band& b = bands[x / bandWidth];
            argb[static_cast<std::size_t>(y) * width + x] = (b.alpha << 24) | b.rgb;
        }
    }
    const std::string path = TempPath(".png");
    WriteRgbaPng(path, width, height, argb);
    DevicePtr<IDirect3DTexture8> texture;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device.Get(), path.c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                           D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, 0,
                                           nullptr, nullptr, texture.ReleaseAndGetAddressOf()),
              D3D_OK);
    ASSERT_TRUE(texture);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);

    const D3DCOLOR background = kBlue;
    const int left = 200;
    const int top = 150;
    ClearTo(background);
    DrawSprite(texture.Get(), {static_cast<float>(left), static_cast<float>(top)}, 0xFFFFFFFF);
    const auto frame = PresentAndRead();
    for (int i = 0; i < 4; ++i) {
        const Rect area = {left + i * bandWidth + 4, top + 4, left + (i + 1) * bandWidth - 4,
                           top + height - 4};
        EXPECT_TRUE(AreaIs(frame, area, Blend(bands[i].rgb, bands[i].alpha, background), 2))
            << "band " << i;
    }
    EXPECT_TRUE(AreaIs(frame, {left + 4, top + height + 4, left + width, top + height + 40},
                       background, 0));
}

TEST_F(D3DXPixels, SpriteColourScalesOpacityAndColour) {
    const auto texture = LoadQuadrantJpegEx();
    ASSERT_TRUE(texture);
    const D3DCOLOR background = 0xFF00FFFF;
    struct Case {
        const char* name;
        D3DCOLOR colour;
        int left, top; // where the picture's top-left texel lands
        // The colour of a picture pixel once drawn over the background.
        D3DCOLOR (*drawn)(D3DCOLOR picture, D3DCOLOR background);
    } cases[] = {
        {"0x80FFFFFF shows the picture at half opacity", 0x80FFFFFF, 0, 0,
         [](D3DCOLOR picture, D3DCOLOR bg) { return Blend(picture, 0x80, bg); }},
        {"0xFF000000 draws it black", 0xFF000000, kSplitX, kSplitY,
         [](D3DCOLOR, D3DCOLOR) { return kBlack; }},
        {"0xFFFFFFFF draws it as it is", 0xFFFFFFFF, kSplitX, kSplitY,
         [](D3DCOLOR picture, D3DCOLOR) { return picture; }},
    };
    for (const Case& c : cases) {
        ClearTo(background);
        DrawSprite(texture.Get(), {static_cast<float>(c.left), static_cast<float>(c.top)},
                   c.colour);
        const auto frame = PresentAndRead();
        // Quadrant-sized blocks of the screen, inset by 8: each shows either a picture quadrant
        // or the background.
        for (int y = 0; y < kHeight; y += kHeight / 2) {
            for (int x = 0; x < kWidth; x += kWidth / 2) {
                const Rect area = {x + 8, y + 8, x + kWidth / 2 - 8, y + kHeight / 2 - 8};
                const int px = area.left - c.left;
                const int py = area.top - c.top;
                const bool onPicture = px >= 0 && py >= 0;
                const D3DCOLOR expected =
                    onPicture ? c.drawn(PictureColour(px, py), background) : background;
                EXPECT_TRUE(AreaIs(frame, area, expected, onPicture ? kJpegTolerance : 0))
                    << c.name << ", area " << x << ", " << y;
            }
        }
    }
}

TEST_F(D3DXPixels, MissingFileGivesInvalidDataAndNoTexture) {
    const std::string path = TempPath("_missing.jpg");
    std::filesystem::remove(path);
    const auto existing = MakeTexture(4, 4, [](int, int) -> D3DCOLOR { return kGreen; });
    ASSERT_TRUE(existing);
    IDirect3DTexture8* out = existing.Get();
    EXPECT_EQ(D3DXCreateTextureFromFileExA(device.Get(), path.c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                           D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, 0,
                                           nullptr, nullptr, &out),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(out, existing.Get());
    EXPECT_EQ(D3DXCreateTextureFromFileA(device.Get(), path.c_str(), &out), D3DXERR_INVALIDDATA);
    EXPECT_EQ(out, existing.Get());

    // With no texture the sprite draws nothing.
    ClearTo(kMagenta);
    ASSERT_EQ(sprite->Begin(), D3D_OK);
    const D3DXVECTOR2 at = {100.0f, 100.0f};
    EXPECT_EQ(sprite->Draw(nullptr, nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFF),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(sprite->End(), D3D_OK);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {0, 0, kWidth, kHeight}, kMagenta, 0));
}

TEST_F(D3DXPixels, BeginTwiceFailsAndEndPutsBackEveryCallerState) {
    // The caller's unusual states: a depth test that passes nothing, clockwise culling, additive
    // blending, stage 0 adding texture and diffuse, stage 1 adding its texture factor, point
    // filtering, mirrored addressing, a texture transform, lighting and fog, its own texture.
    constexpr D3DCOLOR callerTexel = 0xFF000080;
    const auto callerTexture = MakeTexture(8, 8, [](int, int) { return callerTexel; });
    ASSERT_TRUE(callerTexture);
    const D3DCOLOR factor = 0xFF003000;
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } renderStates[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE},    {D3DRS_ZFUNC, D3DCMP_NEVER},
        {D3DRS_CULLMODE, D3DCULL_CW},   {D3DRS_ALPHABLENDENABLE, TRUE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ONE},
        {D3DRS_TEXTUREFACTOR, factor},  {D3DRS_LIGHTING, TRUE},
        {D3DRS_FOGENABLE, TRUE},
    };
    const struct {
        DWORD stage;
        D3DTEXTURESTAGESTATETYPE type;
        DWORD value;
    } stageStates[] = {
        {0, D3DTSS_COLOROP, D3DTOP_ADD},
        {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
        {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2},
        {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
        {0, D3DTSS_MAGFILTER, D3DTEXF_POINT},
        {0, D3DTSS_MINFILTER, D3DTEXF_POINT},
        {0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR},
        {0, D3DTSS_ADDRESSU, D3DTADDRESS_MIRROR},
        {0, D3DTSS_ADDRESSV, D3DTADDRESS_MIRROR},
        {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2},
        {1, D3DTSS_COLOROP, D3DTOP_ADD},
        {1, D3DTSS_COLORARG1, D3DTA_TFACTOR},
        {1, D3DTSS_COLORARG2, D3DTA_CURRENT},
        {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2},
        {1, D3DTSS_ALPHAARG2, D3DTA_CURRENT},
    };
    const D3DCOLOR background = 0xFF101010;
    ClearTo(background);
    for (const auto& s : renderStates) {
        ASSERT_EQ(device->SetRenderState(s.state, s.value), D3D_OK);
    }
    for (const auto& s : stageStates) {
        ASSERT_EQ(device->SetTextureStageState(s.stage, s.type, s.value), D3D_OK);
    }
    ASSERT_EQ(device->SetTexture(0, callerTexture.Get()), D3D_OK);
    ASSERT_EQ(device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE), D3D_OK);
    const DeviceSnapshot before = Snapshot(device.Get());

    // The sprite's own quad ignores all of it: its pixels are its texels.
    constexpr D3DCOLOR spriteTexel = 0xFFC02040;
    const auto spriteTexture = MakeTexture(128, 128, [](int, int) { return spriteTexel; });
    ASSERT_TRUE(spriteTexture);
    ASSERT_EQ(sprite->Begin(), D3D_OK);
    EXPECT_EQ(sprite->Begin(), E_FAIL);
    const D3DXVECTOR2 at = {100.0f, 100.0f};
    EXPECT_EQ(sprite->Draw(spriteTexture.Get(), nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFF),
              D3D_OK);
    EXPECT_EQ(sprite->End(), D3D_OK);
    EXPECT_EQ(sprite->End(), E_FAIL);
    const std::string changed = Differences(before, Snapshot(device.Get()));
    EXPECT_TRUE(changed.empty()) << changed;

    // And the caller's states are in force again. With the depth test passing nothing, a quad
    // leaves no trace; without depth test a clockwise quad is culled; a counter-clockwise one
    // adds texture, diffuse and texture factor onto the background.
    const D3DCOLOR diffuse = 0xFF400000;
    const Rect depthTested = {300, 100, 400, 200};
    const Rect clockwise = {450, 100, 550, 200};
    const Rect counterClockwise = {600, 100, 700, 200};
    DrawWoundQuad(depthTested, diffuse, false);
    ASSERT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
    DrawWoundQuad(clockwise, diffuse, true);
    DrawWoundQuad(counterClockwise, diffuse, false);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {104, 104, 224, 224}, spriteTexel, 1));
    EXPECT_TRUE(AreaIs(frame, depthTested, background, 0));
    EXPECT_TRUE(AreaIs(frame, clockwise, background, 0));
    const D3DCOLOR added =
        AddSaturated(background, AddSaturated(AddSaturated(callerTexel, diffuse), factor));
    EXPECT_TRUE(AreaIs(frame, {604, 104, 696, 196}, added, 1));
}

TEST_F(D3DXPixels, EndWithoutBeginFailsAndPutsNothingBack) {
    EXPECT_EQ(sprite->End(), E_FAIL);

    // After a Begin and End that saved clockwise culling's absence, the caller culls clockwise
    // quads; an End without Begin must not bring back the earlier state.
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    ASSERT_EQ(sprite->Begin(), D3D_OK);
    ASSERT_EQ(sprite->End(), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3D_OK);
    const DeviceSnapshot before = Snapshot(device.Get());
    EXPECT_EQ(sprite->End(), E_FAIL);
    const std::string changed = Differences(before, Snapshot(device.Get()));
    EXPECT_TRUE(changed.empty()) << changed;

    ClearTo(kMagenta);
    DrawWoundQuad({200, 200, 400, 400}, kGreen, true);
    DrawWoundQuad({500, 200, 700, 400}, kGreen, false);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {200, 200, 400, 400}, kMagenta, 0));
    EXPECT_TRUE(AreaIs(frame, {504, 204, 696, 396}, kGreen, 0));
}

TEST_F(D3DXPixels, SpritesAreDrawnUnlitAndUnfogged) {
    // Lighting with black ambient light and no lights, and fog that covers everything at depth 0
    // (linear table fog from −2 to −1) in magenta.
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } renderStates[] = {
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_AMBIENT, 0xFF000000},
        {D3DRS_FOGENABLE, TRUE},
        {D3DRS_FOGCOLOR, kMagenta},
        {D3DRS_FOGTABLEMODE, D3DFOG_LINEAR},
        {D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR},
        {D3DRS_FOGSTART, FloatBits(-2.0f)},
        {D3DRS_FOGEND, FloatBits(-1.0f)},
    };
    for (const auto& s : renderStates) {
        ASSERT_EQ(device->SetRenderState(s.state, s.value), D3D_OK);
    }
    // Left half red, right half green.
    const auto texture =
        MakeTexture(256, 128, [](int x, int) -> D3DCOLOR { return x < 128 ? kRed : kGreen; });
    ASSERT_TRUE(texture);
    ClearTo(kBlue);
    DrawSprite(texture.Get(), {200.0f, 150.0f}, 0xFFFFFFFF);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {204, 154, 324, 274}, kRed, 1));
    EXPECT_TRUE(AreaIs(frame, {332, 154, 452, 274}, kGreen, 1));
    for (const auto& s : renderStates) {
        DWORD value = 0;
        EXPECT_EQ(device->GetRenderState(s.state, &value), D3D_OK);
        EXPECT_EQ(value, s.value) << "render state " << s.state;
    }
}

TEST_F(D3DXPixels, RotatedSpriteLandsWhereItsMatrixSays) {
    // A 128 × 64 texture of four 64 × 32 quadrants, so that a turn cannot pass for a mirror.
    const int w = 128;
    const int h = 64;
    const auto texture = MakeTexture(
        w, h, [](int x, int y) -> D3DCOLOR { return kQuadrant[y >= 32 ? 1 : 0][x >= 64 ? 1 : 0]; });
    ASSERT_TRUE(texture);
    const double pi = std::numbers::pi;
    struct Case {
        const char* name;
        D3DXVECTOR2 scaling;
        D3DXVECTOR2 centre;
        double rotation;
        D3DXVECTOR2 translation;
    } cases[] = {
        {"quarter turn about the centre", {1.0f, 1.0f}, {64.0f, 32.0f}, pi / 2, {300.0f, 200.0f}},
        {"quarter turn back, twice as wide, about the scaled centre",
         {2.0f, 1.0f},
         {128.0f, 32.0f},
         -pi / 2,
         {250.0f, 150.0f}},
        {"half turn about the top-left corner", {1.0f, 1.0f}, {0.0f, 0.0f}, pi, {500.0f, 400.0f}},
    };
    for (const Case& c : cases) {
        // M = S × T(−P) × R × T(P) × T(Q) for row vectors, R turning (x, y) to
        // (x cos θ + y sin θ, −x sin θ + y cos θ).
        const auto transform = [&c](double x, double y) {
            x *= c.scaling.x;
            y *= c.scaling.y;
            x -= c.centre.x;
            y -= c.centre.y;
            const double turnedX = x * std::cos(c.rotation) + y * std::sin(c.rotation);
            const double turnedY = -x * std::sin(c.rotation) + y * std::cos(c.rotation);
            return std::pair<double, double>{turnedX + c.centre.x + c.translation.x,
                                             turnedY + c.centre.y + c.translation.y};
        };
        // The screen rectangle that the texel rectangle [x0, x1) × [y0, y1) lands on.
        const auto landing = [&transform](int x0, int y0, int x1, int y1) {
            Rect r = {kWidth, kHeight, 0, 0};
            const int xs[2] = {x0, x1};
            const int ys[2] = {y0, y1};
            for (int x : xs) {
                for (int y : ys) {
                    const auto [sx, sy] = transform(x, y);
                    const int px = static_cast<int>(std::lround(sx));
                    const int py = static_cast<int>(std::lround(sy));
                    r = {std::min(r.left, px), std::min(r.top, py), std::max(r.right, px),
                         std::max(r.bottom, py)};
                }
            }
            return r;
        };
        ClearTo(kMagenta);
        DrawSprite(texture.Get(), c.translation, 0xFFFFFFFF, c.scaling, c.centre,
                   static_cast<float>(c.rotation));
        const auto frame = PresentAndRead();
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 2; ++column) {
                const Rect r = landing(column * 64, row * 32, (column + 1) * 64, (row + 1) * 32);
                EXPECT_TRUE(AreaIs(frame, {r.left + 3, r.top + 3, r.right - 3, r.bottom - 3},
                                   kQuadrant[row][column], 1))
                    << c.name << ", quadrant " << row << ", " << column;
            }
        }
        // Around the whole sprite, a 12-pixel frame starting 2 pixels out is background.
        const Rect all = landing(0, 0, w, h);
        const Rect around[4] = {
            {all.left - 14, all.top - 14, all.right + 14, all.top - 2},
            {all.left - 14, all.bottom + 2, all.right + 14, all.bottom + 14},
            {all.left - 14, all.top - 2, all.left - 2, all.bottom + 2},
            {all.right + 2, all.top - 2, all.right + 14, all.bottom + 2},
        };
        for (const Rect& r : around) {
            const Rect clipped = {std::max(r.left, 0), std::max(r.top, 0),
                                  std::min(r.right, kWidth), std::min(r.bottom, kHeight)};
            EXPECT_TRUE(AreaIs(frame, clipped, kMagenta, 0)) << c.name;
        }
    }
}

} // namespace
