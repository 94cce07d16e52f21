// The flare block of a scene file and the drawing of one frame's flares with the shared sprite.
#include "scene/FlareSequence.h"

#include "image/Sprite.h"
#include "scene/SceneStream.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Smallest bytes of a frame record (frameTag, flareCount) and of a flare (x, y, size, extra).
constexpr std::uint64_t kFrameRecordBytes = 8;
constexpr std::uint64_t kFlareRecordBytes = 16;

// The visible screen: flares on or beyond its edges are not drawn.
constexpr std::int32_t kScreenWidth = 800;
constexpr std::int32_t kScreenHeight = 600;

// Scale per unit of size: size 50 draws the picture at its own size.
constexpr float kScalePerSize = 0.02f;
// Rotation centre of the flare picture at scale 1, in pixels from its top-left corner.
constexpr float kHalfPicture = 127.5f;
// Radians the shared sprite turns for every flare drawn.
constexpr float kTurnPerFlare = 0.1f;

// Truncation toward zero as the processor does it: values outside the 32-bit range (and NaN)
// give 0x80000000.
std::int32_t TruncateToInt32(float value) {
    if (value > -2147483904.0f && value < 2147483648.0f) {
        return static_cast<std::int32_t>(value);
    }
    return INT32_MIN;
}

// a - b with 32-bit wrap-around, as the processor subtracts.
std::int32_t WrappingSubtract(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

} // namespace

FlareFrame::FlareFrame(std::uint32_t count) : x(count), y(count), size(count), extra(count) {}

FlareFrame::~FlareFrame() = default;

void FlareFrame::Set(std::int32_t newX, std::int32_t newY, float newSize, std::uint32_t newExtra,
                     std::uint32_t index) {
    if (index >= Count()) {
        return;
    }
    x[index] = newX;
    y[index] = newY;
    size[index] = newSize;
    extra[index] = newExtra;
}

std::uint32_t FlareFrame::Count() const {
    return static_cast<std::uint32_t>(x.size());
}

std::int32_t FlareFrame::X(std::uint32_t index) const {
    return index < Count() ? x[index] : 0;
}

std::int32_t FlareFrame::Y(std::uint32_t index) const {
    return index < Count() ? y[index] : 0;
}

float FlareFrame::Size(std::uint32_t index) const {
    return index < Count() ? size[index] : 0.0f;
}

std::uint32_t FlareFrame::Extra(std::uint32_t index) const {
    return index < Count() ? extra[index] : 0;
}

FlareSprite::FlareSprite(IDirect3DDevice8* device, const char* path)
    : sprite(std::make_unique<Sprite>(255, 255, 255, 255)) {
    sprite->LoadFromFile(path, device);
}

FlareSprite::~FlareSprite() = default;

void FlareSprite::Draw(std::int32_t x, std::int32_t y, float size) {
    if (x <= 0 || x >= kScreenWidth || y <= 0 || y >= kScreenHeight) {
        return;
    }
    // scale = size × 0.02f; half = scale × 127.5f; the corner is (x, y) less half truncated
    // toward zero, so size 50 gives scale 1, centre (127.5, 127.5) and the corner at x - 127.
    const float scale = size * kScalePerSize;
    const float half = scale * kHalfPicture;
    // A size that is not a number, or so large that half overflows, would carry NaN or infinity
    // into the sprite's placement; such a flare is not drawn (and does not turn the sprite).
    if (!std::isfinite(half)) {
        return;
    }
    const std::int32_t offset = TruncateToInt32(half);
    sprite->SetPosition(static_cast<float>(WrappingSubtract(x, offset)),
                        static_cast<float>(WrappingSubtract(y, offset)));
    sprite->SetRotationCenter(half, half);
    sprite->SetScale(scale, scale);
    sprite->Rotate(kTurnPerFlare);
    sprite->Draw();
}

FlareSequence::FlareSequence(IDirect3DDevice8* device, SceneStream& stream) {
    // The block's reads do not look at the end-of-file indicator; a count its records cannot fit
    // in the rest of the file ends the block (and the file) and counts as 0.
    std::uint32_t count = stream.ReadRawU32();
    if (!stream.CanHold(count, kFrameRecordBytes)) {
        count = 0;
    }
    frames.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        stream.ReadRawU32(); // the frame tag, never used
        std::uint32_t flareCount = stream.ReadRawU32();
        if (!stream.CanHold(flareCount, kFlareRecordBytes)) {
            flareCount = 0;
        }
        auto frame = std::make_unique<FlareFrame>(flareCount);
        for (std::uint32_t j = 0; j < flareCount; ++j) {
            const std::int32_t x = stream.ReadRawI32();
            const std::int32_t y = stream.ReadRawI32();
            const float size = stream.ReadRawF32();
            const std::uint32_t extra = stream.ReadRawU32();
            frame->Set(x, y, size, extra, j);
        }
        frames.push_back(std::move(frame));
    }
    frameCount = count;
    sprite = std::make_unique<FlareSprite>(device, kFlarePicture);
}

FlareSequence::~FlareSequence() = default;

void FlareSequence::Draw(std::uint32_t frame) {
    const std::size_t stored = std::min<std::size_t>(frameCount, frames.size());
    if (stored == 0 || !sprite) {
        return;
    }
    // Frames past the end keep showing the last one.
    const FlareFrame& flares = *frames[std::min<std::size_t>(frame, stored - 1)];
    for (std::uint32_t i = 0; i < flares.Count(); ++i) {
        sprite->Draw(flares.X(i), flares.Y(i), flares.Size(i));
    }
}
