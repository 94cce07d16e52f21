// Ready-made screen-space flares for every frame of a scene, drawn with one shared sprite.
#pragma once

#include "device/D3D8.h"

#include <cstdint>
#include <memory>
#include <vector>

class SceneStream;
class Sprite;

// The flares of one frame, kept as four parallel arrays.
class FlareFrame {
public:
    explicit FlareFrame(std::uint32_t count);
    virtual ~FlareFrame();

    // Stores flare index (ignored beyond Count()).
    virtual void Set(std::int32_t x, std::int32_t y, float size, std::uint32_t extra,
                     std::uint32_t index);
    virtual std::uint32_t Count() const;
    virtual std::int32_t X(std::uint32_t index) const;
    virtual std::int32_t Y(std::uint32_t index) const;
    virtual float Size(std::uint32_t index) const;
    virtual std::uint32_t Extra(std::uint32_t index) const;

private:
    std::vector<std::int32_t> x;
    std::vector<std::int32_t> y;
    std::vector<float> size;
    std::vector<std::uint32_t> extra;
};

// Draws one flare picture centred on a point, turned a little further at every draw.
class FlareSprite {
public:
    // Creates the sprite in opaque white and loads the picture at path on device.
    FlareSprite(IDirect3DDevice8* device, const char* path);
    virtual ~FlareSprite();

    // Only flares strictly inside the 800 x 600 screen are drawn; size 50 is the picture's own
    // size. A size that would make the placement NaN or infinite draws nothing.
    virtual void Draw(std::int32_t x, std::int32_t y, float size);

    std::unique_ptr<Sprite> sprite;
};

class FlareSequence {
public:
    // Reads the flare block at the stream's position and loads "data\flara1.png" on device.
    // Counts whose records the rest of the file cannot hold end the block as if the file ended.
    FlareSequence(IDirect3DDevice8* device, SceneStream& stream);
    virtual ~FlareSequence();

    // Draws the flares of frame (frames past the end show the last frame).
    virtual void Draw(std::uint32_t frame);

    std::uint32_t frameCount = 0;
    std::vector<std::unique_ptr<FlareFrame>> frames;
    std::unique_ptr<FlareSprite> sprite;
};

inline constexpr const char* kFlarePicture = "data\\flara1.png";
