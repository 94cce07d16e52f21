// The device's back buffer: an RGBA8 colour texture with an optional 16-bit depth buffer in a
// framebuffer object, plus a copy of the last presented frame for reading pixels back.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

// Row 0 of every attachment holds the top row of the picture, so OpenGL window coordinates equal
// the device's pixel coordinates (x right, y down) and pixels read back come top row first.
// Owns its OpenGL objects; needs its context current when made, used and destroyed.
class BackBuffer {
public:
    BackBuffer() = default;
    ~BackBuffer();

    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // Makes the attachments, cleared to black and depth 1. False when the framebuffer is
    // incomplete or a size is not positive.
    bool Create(int width, int height, bool withDepth);

    GLuint Framebuffer() const { return framebuffer; }
    int Width() const { return width; }
    int Height() const { return height; }
    bool HasDepth() const { return depthBuffer != 0; }

    // Copies the back buffer into the presented frame. The back buffer keeps its content.
    // Expects the scissor test off; leaves Framebuffer() bound.
    void KeepPresentedFrame();

    // Writes the presented frame as 32-bit 0xAARRGGBB pixels, top row first, rows `pitch` bytes
    // apart. Leaves Framebuffer() bound.
    void ReadPresentedFrame(std::uint8_t* pixels, int pitch) const;

private:
    void Destroy();

    int width = 0;
    int height = 0;
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depthBuffer = 0;
    GLuint presentedFramebuffer = 0;
    GLuint presentedColour = 0;
};
