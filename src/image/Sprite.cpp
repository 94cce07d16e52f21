// Sprite: loading through the utility layer's texture creators and drawing with its sprite object.
#include "image/Sprite.h"

#include "device/D3DXTexture.h"
#include "platform/CurrentDirectory.h"

namespace {

// 0xAARRGGBB from the low 8 bits of each argument.
D3DCOLOR MakeColor(int a, int r, int g, int b) {
    return (static_cast<D3DCOLOR>(a & 0xFF) << 24) | (static_cast<D3DCOLOR>(r & 0xFF) << 16) |
           (static_cast<D3DCOLOR>(g & 0xFF) << 8) | static_cast<D3DCOLOR>(b & 0xFF);
}

} // namespace

Sprite::Sprite(int a, int r, int g, int b) : color(MakeColor(a, r, g, b)) {}

Sprite::~Sprite() {
    sprite.Reset();
    texture.Reset();
}

bool Sprite::FormatPath(const char* fileName, char (&path)[512]) {
    char directory[512];
    const std::uint32_t length = GetCurrentDirectoryA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory || !fileName) {
        return false;
    }
    return FormatToBuffer(path, sizeof path, "%s\\%s", directory, fileName) >= 0;
}

int Sprite::LoadFromFile(const char* fileName, IDirect3DDevice8* device) {
    char path[512];
    if (FormatPath(fileName, path)) {
        D3DXCreateTextureFromFileA(device, path, texture.ReleaseAndGetAddressOf());
    } else {
        texture.Reset();
    }
    D3DXCreateSprite(device, sprite.ReleaseAndGetAddressOf());
    loaded = true;
    return 0;
}

int Sprite::LoadFromFileEx(const char* fileName, IDirect3DDevice8* device, UINT width, UINT height,
                           UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                           DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                           D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette) {
    char path[512];
    if (FormatPath(fileName, path)) {
        D3DXCreateTextureFromFileExA(device, path, width, height, mipLevels, usage, format, pool,
                                     filter, mipFilter, colorKey, srcInfo, palette,
                                     texture.ReleaseAndGetAddressOf());
    } else {
        texture.Reset();
    }
    D3DXCreateSprite(device, sprite.ReleaseAndGetAddressOf());
    loaded = true;
    return 0;
}

int Sprite::LoadFromMemory(const void* data, UINT size, IDirect3DDevice8* device) {
    D3DXCreateTextureFromFileInMemory(device, data, size, texture.ReleaseAndGetAddressOf());
    D3DXCreateSprite(device, sprite.ReleaseAndGetAddressOf());
    loaded = true;
    return 0;
}

int Sprite::LoadFromMemoryEx(const void* data, UINT size, IDirect3DDevice8* device, UINT width,
                             UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                             D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                             D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette) {
    D3DXCreateTextureFromFileInMemoryEx(device, data, size, width, height, mipLevels, usage, format,
                                        pool, filter, mipFilter, colorKey, srcInfo, palette,
                                        texture.ReleaseAndGetAddressOf());
    D3DXCreateSprite(device, sprite.ReleaseAndGetAddressOf());
    loaded = true;
    return 0;
}

HRESULT Sprite::Draw() {
    if (!loaded) {
        return E_FAIL;
    }
    if (!visible || !sprite) {
        return 0;
    }
    sprite->Begin();
    sprite->Draw(texture.Get(), nullptr, &scale, &rotationCenter, rotation, &position, color);
    sprite->End();
    return 0;
}

void Sprite::SetColor(int a, int r, int g, int b) {
    color = MakeColor(a, r, g, b);
}

void Sprite::SetRotation(float angle) {
    rotation = angle;
}

void Sprite::SetRotationCenter(float x, float y) {
    rotationCenter = {x, y};
}

float Sprite::GetRotation() const {
    return rotation;
}

void Sprite::Rotate(float delta) {
    rotation += delta;
}

void Sprite::SetPosition(float x, float y) {
    position = {x, y};
}

float Sprite::GetPositionX() const {
    return position.x;
}

float Sprite::GetPositionY() const {
    return position.y;
}

void Sprite::Move(float dx, float dy) {
    position.x += dx;
    position.y += dy;
}

float Sprite::RadToDeg(float value) const {
    return value * 57.295776f;
}

float Sprite::DegToRad(float value) const {
    return value * 0.017453292f;
}

void Sprite::SetScale(float x, float y) {
    scale = {x, y};
}

void Sprite::SetScaleX(float x) {
    scale.x = x;
}

void Sprite::SetScaleY(float y) {
    scale.y = y;
}

float Sprite::GetScaleX() const {
    return scale.x;
}

float Sprite::GetScaleY() const {
    return scale.y;
}

void Sprite::AddScale(float dx, float dy) {
    scale.x += dx;
    scale.y += dy;
}

void Sprite::AddScaleX(float dx) {
    scale.x += dx;
}

void Sprite::AddScaleY(float dy) {
    scale.y += dy;
}

void Sprite::SetVisible(bool flag) {
    visible = flag;
}

bool Sprite::IsVisible() const {
    return visible;
}

void Sprite::SetLoaded(bool flag) {
    loaded = flag;
}

bool Sprite::IsLoaded() const {
    return loaded;
}
