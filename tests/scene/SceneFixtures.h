// Helpers of the scene-layer tests: a little-endian byte builder for hand-written scene file
// fixtures, a temporary working folder, small picture files for textures, a sprite that records
// its calls, and a recording-device fixture that puts them together.
#pragma once

#include "device/RecordingDeviceFixture.h"
#include "image/Sprite.h"
#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Appends the primitive fields of the scene format, little-endian, to a byte vector.
class ByteBuilder {
public:
    ByteBuilder& U32(std::uint32_t value);
    ByteBuilder& I32(std::int32_t value);
    ByteBuilder& U16(std::uint16_t value);
    ByteBuilder& F32(float value);
    ByteBuilder& Vec3(float x, float y, float z);
    // The characters, then one NUL.
    ByteBuilder& Str(std::string_view text);
    ByteBuilder& Raw(std::initializer_list<std::uint8_t> bytes);
    ByteBuilder& Raw(const std::vector<std::uint8_t>& bytes);
    // Each value as an f32, in order.
    ByteBuilder& Floats(std::initializer_list<float> values);

    const std::vector<std::uint8_t>& Bytes() const { return bytes; }
    std::size_t Size() const { return bytes.size(); }

private:
    std::vector<std::uint8_t> bytes;
};

// The first count bytes of bytes.
std::vector<std::uint8_t> Prefix(const std::vector<std::uint8_t>& bytes, std::size_t count);

// Scene file pieces used by many tests.
// "ZEB3D", an empty flare block (frameCount 0) and lastFrame.
void AppendFileStart(ByteBuilder& b, std::uint32_t lastFrame);
// The three key blocks of a node with no keys: position, rotation and scale counts 0.
void AppendEmptyKeyBlocks(ByteBuilder& b);
// A node record of kind, flags and names with three empty key blocks and no extras.
void AppendPlainNode(ByteBuilder& b, std::uint32_t kind, std::uint32_t flags,
                     std::string_view controllerName, std::string_view objectName);

// A fresh folder under the system's temporary folder, made the current directory for the life of
// the object; the previous current directory is restored and the folder removed afterwards.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    // Writes bytes to the relative path name (folders are made as needed).
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path previous;
    std::filesystem::path folder;
};

// An uncompressed 24-bit BMP of one colour (red, green, blue).
std::vector<std::uint8_t> SolidBmp24(int width, int height, std::uint8_t red, std::uint8_t green,
                                     std::uint8_t blue);
// An uncompressed 8-bit BMP whose every pixel byte is alpha (the form of an alpha-mask file).
std::vector<std::uint8_t> SolidBmp8(int width, int height, std::uint8_t alpha);

// The bytes of a whole vertex or index buffer, read through a read-only lock.
std::vector<std::uint8_t> BufferBytes(IDirect3DVertexBuffer8* buffer);
std::vector<std::uint8_t> BufferBytes(IDirect3DIndexBuffer8* buffer);

// A sprite that draws nothing and records its placement at every Draw and the order of the
// placement calls.
class RecordingSprite : public Sprite {
public:
    struct DrawState {
        float x, y;             // position
        float centerX, centerY; // rotation centre
        float scaleX, scaleY;
        float rotation;
    };

    RecordingSprite() : Sprite(255, 255, 255, 255) {}

    HRESULT Draw() override;
    void SetRotationCenter(float x, float y) override;
    void SetPosition(float x, float y) override;
    void SetScale(float x, float y) override;
    void Rotate(float delta) override;

    std::vector<DrawState> draws;
    std::vector<std::string> calls; // method names in call order

private:
    float centerX = 0.0f;
    float centerY = 0.0f;
};

// A recording device, a working folder made current, and the texture manager set up on the
// device. Scenes made with NewScene are destroyed before the device.
class SceneDeviceTest : public RecordingDeviceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A scene given the device with InitDevice (device, flags).
    Scene& NewScene(std::uint32_t flags = 0);
    // Writes bytes as "scene.3d" and loads it into a new scene.
    Scene& LoadSceneBytes(const std::vector<std::uint8_t>& bytes);

    std::unique_ptr<WorkingFolder> folder;
    std::vector<std::unique_ptr<Scene>> scenes;
};
