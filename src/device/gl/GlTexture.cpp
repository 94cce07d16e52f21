// Uploads of texture levels.
#include "device/gl/GlTexture.h"

#include "device/MemorySurface.h"
#include "device/gl/GlDevice.h"
#include "device/gl/GlFormat.h"
#include "device/gl/PixelConversion.h"

#include <vector>

namespace {

DxtKind KindOf(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_DXT1:
        return DxtKind::Dxt1;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
        return DxtKind::Dxt3;
    default:
        return DxtKind::Dxt5;
    }
}

} // namespace

GlTexture::GlTexture(GlDevice& device, UINT width, UINT height, UINT levels, DWORD usage,
                     const TextureFormat& format, D3DPOOL pool)
    : MemoryTexture(device, width, height, levels, usage, format, pool),
      glFormat(FindGlFormat(format.format)) {
    if (pool == D3DPOOL_SYSTEMMEM || glFormat == nullptr) {
        return;
    }
    device.MakeCurrent();
    GlStateCache& gl = device.GlState();
    glGenTextures(1, &name);
    gl.BindTexture(kUploadTextureUnit, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(LevelCount()) - 1);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, glFormat->swizzle);
    for (UINT level = 0; level < LevelCount(); ++level) {
        Upload(level, Level(level).Bounds());
    }
}

GlTexture::~GlTexture() {
    if (name != 0) {
        Gl().MakeCurrent();
        glDeleteTextures(1, &name);
        Gl().GlState().TextureDeleted(name);
    }
}

GlDevice& GlTexture::Gl() const {
    return static_cast<GlDevice&>(Device());
}

void GlTexture::OnLevelChanged(UINT level, const RECT& rect) {
    if (name == 0) {
        return;
    }
    Gl().MakeCurrent();
    Gl().GlState().BindTexture(kUploadTextureUnit, name);
    Upload(level, rect);
}

// Expects the texture bound on the upload unit. A level upload for formats OpenGL cannot take
// directly converts the rows of the rectangle (or, for DXT without S3TC, the whole level).
void GlTexture::Upload(UINT level, const RECT& rect) {
    const MemorySurface& surface = Level(level);
    const GLsizei width = static_cast<GLsizei>(surface.Width());
    const GLsizei height = static_cast<GLsizei>(surface.Height());
    const GLint lod = static_cast<GLint>(level);
    const bool whole =
        rect.left == 0 && rect.top == 0 && rect.right == width && rect.bottom == height;
    const BYTE* bits = surface.Bits();
    const UINT pitch = surface.Pitch();

    switch (glFormat->path) {
    case UploadPath::Compressed:
        if (Gl().Limits().s3tc) {
            // Levels are stored as packed block rows, exactly what OpenGL takes.
            glCompressedTexImage2D(GL_TEXTURE_2D, lod, glFormat->internalFormat, width, height, 0,
                                   static_cast<GLsizei>(surface.ByteSize()), bits);
        } else {
            std::vector<BYTE> rgba(static_cast<std::size_t>(width) * height * 4);
            DecodeDxt(KindOf(glFormat->format), bits, static_cast<int>(pitch), width, height,
                      rgba.data(), width * 4);
            glTexImage2D(GL_TEXTURE_2D, lod, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                         rgba.data());
        }
        return;
    case UploadPath::ExpandA8R3G3B2: {
        const int rectWidth = rect.right - rect.left;
        const int rectHeight = rect.bottom - rect.top;
        std::vector<BYTE> rgba(static_cast<std::size_t>(rectWidth) * rectHeight * 4);
        for (int y = 0; y < rectHeight; ++y) {
            ExpandA8R3G3B2Row(bits + (rect.top + y) * pitch + rect.left * 2,
                              rgba.data() + static_cast<std::size_t>(y) * rectWidth * 4, rectWidth);
        }
        if (whole) {
            glTexImage2D(GL_TEXTURE_2D, lod, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                         rgba.data());
        } else {
            glTexSubImage2D(GL_TEXTURE_2D, lod, rect.left, rect.top, rectWidth, rectHeight, GL_BGRA,
                            GL_UNSIGNED_BYTE, rgba.data());
        }
        return;
    }
    case UploadPath::Direct:
        glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(pitch / glFormat->bytes));
        if (whole) {
            glTexImage2D(GL_TEXTURE_2D, lod, static_cast<GLint>(glFormat->internalFormat), width,
                         height, 0, glFormat->pixelFormat, glFormat->pixelType, bits);
        } else {
            glTexSubImage2D(GL_TEXTURE_2D, lod, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, glFormat->pixelFormat, glFormat->pixelType,
                            bits + rect.top * pitch + rect.left * glFormat->bytes);
        }
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        return;
    }
}
