// Helpers of the scene-layer tests.
#include "SceneFixtures.h"

#include "image/TextureManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>

ByteBuilder& ByteBuilder::U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    return *this;
}

ByteBuilder& ByteBuilder::I32(std::int32_t value) {
    return U32(static_cast<std::uint32_t>(value));
}

ByteBuilder& ByteBuilder::U16(std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    return *this;
}

ByteBuilder& ByteBuilder::F32(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return U32(bits);
}

ByteBuilder& ByteBuilder::Vec3(float x, float y, float z) {
    return F32(x).F32(y).F32(z);
}

ByteBuilder& ByteBuilder::Str(std::string_view text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return *this;
}

ByteBuilder& ByteBuilder::Raw(std::initializer_list<std::uint8_t> raw) {
    // One by one: g++ 12 mistakes a range insert into an empty vector for an overflow.
    for (std::uint8_t byte : raw) {
        bytes.push_back(byte);
    }
    return *this;
}

ByteBuilder& ByteBuilder::Raw(const std::vector<std::uint8_t>& raw) {
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    return *this;
}

ByteBuilder& ByteBuilder::Floats(std::initializer_list<float> values) {
    for (float value : values) {
        F32(value);
    }
    return *this;
}

std::vector<std::uint8_t> Prefix(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    return std::vector<std::uint8_t>(bytes.begin(),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

void AppendFileStart(ByteBuilder& b, std::uint32_t lastFrame) {
    b.Str("ZEB3D"); // magic
    b.U32(0);       // flare block: no frames
    b.U32(lastFrame);
}

void AppendEmptyKeyBlocks(ByteBuilder& b) {
    b.U32(0); // position keys
    b.U32(0); // rotation keys
    b.U32(0); // scale keys
}

void AppendPlainNode(ByteBuilder& b, std::uint32_t kind, std::uint32_t flags,
                     std::string_view controllerName, std::string_view objectName) {
    b.U32(kind).U32(flags).Str(controllerName).Str(objectName);
    AppendEmptyKeyBlocks(b);
}

WorkingFolder::WorkingFolder() : previous(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "demo-scene-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    folder = pattern;
    std::filesystem::current_path(folder);
}

WorkingFolder::~WorkingFolder() {
    std::error_code error;
    std::filesystem::current_path(previous, error);
    std::filesystem::remove_all(folder, error);
}

void WorkingFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::filesystem::path file = folder / name;
    std::filesystem::create_directories(file.parent_path());
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) {
        throw std::runtime_error("cannot write " + file.string());
    }
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (written != bytes.size()) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

namespace {

// The 54-byte BMP file and information header of an uncompressed bottom-up picture.
ByteBuilder BmpHeader(int width, int height, int bitsPerPixel, std::uint32_t dataOffset,
                      std::uint32_t dataBytes) {
    ByteBuilder b;
    b.Raw({'B', 'M'});
    b.U32(dataOffset + dataBytes); // file size
    b.U32(0);                      // reserved
    b.U32(dataOffset);
    b.U32(40); // information header size
    b.I32(width).I32(height);
    b.U16(1); // planes
    b.U16(static_cast<std::uint16_t>(bitsPerPixel));
    b.U32(0); // no compression
    b.U32(dataBytes);
    b.U32(2835).U32(2835); // resolution, pixels per metre
    b.U32(0).U32(0);       // colours used and important
    return b;
}

std::uint32_t RowBytes(int width, int bitsPerPixel) {
    return static_cast<std::uint32_t>((width * bitsPerPixel + 31) / 32 * 4);
}

} // namespace

std::vector<std::uint8_t> SolidBmp24(int width, int height, std::uint8_t red, std::uint8_t green,
                                     std::uint8_t blue) {
    const std::uint32_t row = RowBytes(width, 24);
    ByteBuilder b = BmpHeader(width, height, 24, 54, row * static_cast<std::uint32_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            b.Raw({blue, green, red});
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < row; ++pad) {
            b.Raw({0});
        }
    }
    return b.Bytes();
}

std::vector<std::uint8_t> SolidBmp8(int width, int height, std::uint8_t alpha) {
    const std::uint32_t row = RowBytes(width, 8);
    const std::uint32_t paletteBytes = 256 * 4;
    ByteBuilder b =
        BmpHeader(width, height, 8, 54 + paletteBytes, row * static_cast<std::uint32_t>(height));
    for (int i = 0; i < 256; ++i) {
        const auto grey = static_cast<std::uint8_t>(i);
        b.Raw({grey, grey, grey, 0});
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            b.Raw({alpha});
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(width); pad < row; ++pad) {
            b.Raw({0});
        }
    }
    return b.Bytes();
}

namespace {

template <typename Buffer, typename Desc>
std::vector<std::uint8_t> ReadBuffer(Buffer* buffer) {
    if (buffer == nullptr) {
        return {};
    }
    Desc desc{};
    if (FAILED(buffer->GetDesc(&desc))) {
        return {};
    }
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, D3DLOCK_READONLY))) {
        return {};
    }
    std::vector<std::uint8_t> bytes(data, data + desc.Size);
    buffer->Unlock();
    return bytes;
}

} // namespace

std::vector<std::uint8_t> BufferBytes(IDirect3DVertexBuffer8* buffer) {
    return ReadBuffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC>(buffer);
}

std::vector<std::uint8_t> BufferBytes(IDirect3DIndexBuffer8* buffer) {
    return ReadBuffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC>(buffer);
}

HRESULT RecordingSprite::Draw() {
    calls.push_back("Draw");
    draws.push_back(DrawState{GetPositionX(), GetPositionY(), centerX, centerY, GetScaleX(),
                              GetScaleY(), GetRotation()});
    return D3D_OK;
}

void RecordingSprite::SetRotationCenter(float x, float y) {
    calls.push_back("SetRotationCenter");
    centerX = x;
    centerY = y;
    Sprite::SetRotationCenter(x, y);
}

void RecordingSprite::SetPosition(float x, float y) {
    calls.push_back("SetPosition");
    Sprite::SetPosition(x, y);
}

void RecordingSprite::SetScale(float x, float y) {
    calls.push_back("SetScale");
    Sprite::SetScale(x, y);
}

void RecordingSprite::Rotate(float delta) {
    calls.push_back("Rotate");
    Sprite::Rotate(delta);
}

void SceneDeviceTest::SetUp() {
    RecordingDeviceTest::SetUp();
    folder = std::make_unique<WorkingFolder>();
    TextureManager::Instance().Init(device.Get(), D3DFMT_A8R8G8B8);
}

void SceneDeviceTest::TearDown() {
    scenes.clear();
    // The cache's textures go while their device still exists.
    TextureManager::Instance().Init(nullptr, D3DFMT_A8R8G8B8);
    folder.reset();
    RecordingDeviceTest::TearDown();
}

Scene& SceneDeviceTest::NewScene(std::uint32_t flags) {
    scenes.push_back(std::make_unique<Scene>());
    scenes.back()->InitDevice(device.Get(), flags);
    return *scenes.back();
}

Scene& SceneDeviceTest::LoadSceneBytes(const std::vector<std::uint8_t>& bytes) {
    folder->Write("scene.3d", bytes);
    Scene& scene = NewScene();
    scene.Load(device.Get(), "scene.3d");
    return scene;
}
