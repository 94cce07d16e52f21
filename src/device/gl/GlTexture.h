// A texture of the OpenGL device: the in-memory levels of the core plus an OpenGL texture that
// receives every change of them at once.
#pragma once

#include "device/MemoryTexture.h"

#include <epoxy/gl.h>

class GlDevice;
struct GlFormat;

// Owns its OpenGL texture (none for the system-memory pool, which is never drawn from). Each
// level is uploaded whole when the texture is made (zero texels) and again, for the rectangle
// that changed, after every UnlockRect, CopyRects or UpdateTexture into it.
class GlTexture final : public MemoryTexture {
public:
    GlTexture(GlDevice& device, UINT width, UINT height, UINT levels, DWORD usage,
              const TextureFormat& format, D3DPOOL pool);
    ~GlTexture() override;

    void OnLevelChanged(UINT level, const RECT& rect) override;

    // 0 when the texture is never drawn from.
    GLuint Name() const { return name; }

private:
    GlDevice& Gl() const;
    void Upload(UINT level, const RECT& rect);

    const GlFormat* glFormat;
    GLuint name = 0;
};
