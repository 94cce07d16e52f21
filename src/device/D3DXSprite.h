// The utility layer's sprite object: draws a texture as a screen-space quad with scaling,
// rotation, translation and a colour.
#pragma once

#include "device/D3DX.h"

// A reference-counted drawer of textured screen-space quads on one device (holding one reference
// to it). Begin saves every device state the sprite changes and sets the sprite's own; End puts
// the saved states back. Draw outside Begin and End does its own Begin and End.
struct ID3DXSprite : IUnknown {
    // The device, with a reference added.
    virtual HRESULT GetDevice(IDirect3DDevice8** ppDevice) = 0;
    // E_FAIL when already begun. Saves the caller's states and sets: pre-transformed vertices
    // with colour and one texture coordinate; no depth test, solid fill, no culling, no lighting,
    // no fog; stage 0 colour = texture × diffuse and alpha = texture × diffuse from coordinate
    // set 0 without texture transform; stage 1 off; linear magnification and minification, no
    // mip filtering, coordinates clamped; blending source alpha over inverse source alpha with the
    // add operation, or, on a device that cannot blend so, an alpha test passing alpha >= 127.
    virtual HRESULT Begin() = 0;
    // Draws pSrcRect of level 0 (the whole level for null; a given one must lie inside it) with
    // its top-left corner at the origin, one texel per pixel, transformed by
    // M = S × T(−P) × R × T(P) × T(Q) for row vectors: scaled by pScaling (1, 1 for null),
    // turned by Rotation radians about pRotationCenter (given in scaled pixels from the corner;
    // (x, y) goes to (x cos θ + y sin θ, −x sin θ + y cos θ), counter-clockwise on a screen whose
    // y points down), then moved by pTranslation; every corner is then shifted by −0.5 pixel so
    // that texel centres fall on pixel centres. The quad is a two-triangle fan at depth 0 with
    // Color as vertex colour; it blends (or alpha-tests) when Color's alpha is below 0xFF or the
    // texture's format has alpha or a palette. D3DERR_INVALIDCALL for a null texture or a
    // rectangle outside level 0; otherwise the device's result for the draw.
    virtual HRESULT Draw(IDirect3DTexture8* pSrcTexture, const RECT* pSrcRect,
                         const D3DXVECTOR2* pScaling, const D3DXVECTOR2* pRotationCenter,
                         float Rotation, const D3DXVECTOR2* pTranslation, D3DCOLOR Color) = 0;
    // As Draw, with the quad's corners (in texels from its top-left corner) multiplied by
    // pTransform (row vectors; the identity for null).
    virtual HRESULT DrawTransform(IDirect3DTexture8* pSrcTexture, const RECT* pSrcRect,
                                  const Matrix* pTransform, D3DCOLOR Color) = 0;
    // E_FAIL when not begun; otherwise puts back the states Begin saved.
    virtual HRESULT End() = 0;
};

// A new sprite object with one reference, for the device; D3DERR_INVALIDCALL for a null device
// or out-pointer. Takes a reference to the device and notes whether it can blend with source
// alpha over inverse source alpha. Draws nothing.
HRESULT D3DXCreateSprite(IDirect3DDevice8* pDevice, ID3DXSprite** ppSprite);
