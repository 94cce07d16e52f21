// Sprite: one picture drawn in screen space with position, scale, rotation and a colour whose
// alpha makes fades.
#pragma once

#include "device/D3D8.h"
#include "device/D3DX.h"
#include "device/D3DXSprite.h"
#include "device/DevicePtr.h"

// A screen-space picture: owns its texture and the utility sprite object that draws it, and keeps
// the placement and colour used by Draw. Created with a colour, loaded once, then placed and drawn
// any number of times.
class Sprite {
public:
    // Colour from the low 8 bits of each argument: a × 2^24 + r × 2^16 + g × 2^8 + b. Visible,
    // not loaded, position and rotation centre (0, 0), scale (1, 1), rotation 0.
    Sprite(int a, int r, int g, int b);
    // Releases the utility sprite object, then the texture.
    virtual ~Sprite();

    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;

    // The load operations make the texture from the picture and the utility sprite object on
    // `device`, then set the loaded flag whether or not either could be made, and give 0. A load
    // first releases what an earlier load made. The file forms read `fileName` relative to the
    // current directory ("<current directory>\<fileName>"); a path longer than 511 characters
    // makes no texture.

    // The managed-pool texture of the picture stretched to the texture's size.
    virtual int LoadFromFile(const char* fileName, IDirect3DDevice8* device);
    // The texture made with the given arguments unchanged (see D3DXCreateTextureFromFileExA).
    virtual int LoadFromFileEx(const char* fileName, IDirect3DDevice8* device, UINT width,
                               UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                               D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette);
    virtual int LoadFromMemory(const void* data, UINT size, IDirect3DDevice8* device);
    virtual int LoadFromMemoryEx(const void* data, UINT size, IDirect3DDevice8* device, UINT width,
                                 UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                 D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                 D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette);

    // E_FAIL when not loaded; otherwise 0, drawing only while visible: the whole texture, one
    // texel per pixel, scaled about its top-left corner, turned by `rotation` radians about
    // `rotationCenter` (scaled pixels from the corner), placed with its corner at `position`,
    // and multiplied by `color`. Draws nothing without a texture or utility sprite object.
    virtual HRESULT Draw();

    // As the constructor: the low 8 bits of each argument.
    virtual void SetColor(int a, int r, int g, int b);
    virtual void SetRotation(float angle);
    virtual void SetRotationCenter(float x, float y);
    virtual float GetRotation() const;
    virtual void Rotate(float delta);
    virtual void SetPosition(float x, float y);
    virtual float GetPositionX() const;
    virtual float GetPositionY() const;
    virtual void Move(float dx, float dy);
    // value × 57.295776f (0x42652EE0), in single precision.
    virtual float RadToDeg(float value) const;
    // value × 0.017453292f (0x3C8EFA35), in single precision.
    virtual float DegToRad(float value) const;
    virtual void SetScale(float x, float y);
    virtual void SetScaleX(float x);
    virtual void SetScaleY(float y);
    virtual float GetScaleX() const;
    virtual float GetScaleY() const;
    virtual void AddScale(float dx, float dy);
    virtual void AddScaleX(float dx);
    virtual void AddScaleY(float dy);
    virtual void SetVisible(bool flag);
    virtual bool IsVisible() const;
    virtual void SetLoaded(bool flag);
    virtual bool IsLoaded() const;

private:
    // "<current directory>\<fileName>" into `path` of 512 characters; false when it does not fit
    // or the directory cannot be read.
    static bool FormatPath(const char* fileName, char (&path)[512]);

    DevicePtr<ID3DXSprite> sprite;
    DevicePtr<IDirect3DTexture8> texture;
    bool visible = true;
    D3DXVECTOR2 rotationCenter{0.0f, 0.0f};
    D3DXVECTOR2 position{0.0f, 0.0f};
    D3DXVECTOR2 scale{1.0f, 1.0f};
    float rotation = 0.0f;
    D3DCOLOR color;
    bool loaded = false;
};
