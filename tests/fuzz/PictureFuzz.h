// What the fuzz targets of the utility layer's picture readers share: running one reader on an
// input held in memory and checking the picture it accepts.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzInput.h"
#include "device/picture/Picture.h"
#include "device/picture/PixelCodec.h"

// Runs `read` on the input; when it accepts, checks that the picture is within the size limits,
// that every level has the size its place in the chain gives and holds all its rows, that a
// palette picture has its 256 entries, and converts every level to 0xAARRGGBB so that the
// sanitizers see any pixel outside the buffers. Always 0.
inline int FuzzPictureReader(picture::PictureReader read, const std::uint8_t* data,
                             std::size_t size) {
    picture::Picture p;
    if (!read(data, size, picture::ReadOptions{}, p)) {
        return 0;
    }
    FuzzCheck(!p.levels.empty());
    FuzzCheck(picture::PictureSizeAllowed(p.Width(), p.Height()));
    const picture::PixelLayout* layout = picture::FindPixelLayout(p.format);
    FuzzCheck(layout != nullptr);
    FuzzCheck(layout->kind != picture::PixelLayout::Palette || p.palette.size() == 256);
    volatile D3DCOLOR sink = 0;
    for (std::size_t i = 0; i < p.levels.size(); ++i) {
        const picture::PictureLevel& level = p.levels[i];
        FuzzCheck(level.width == std::max(1u, p.Width() >> i));
        FuzzCheck(level.height == std::max(1u, p.Height() >> i));
        FuzzCheck(level.pitch >= layout->RowBytes(level.width));
        FuzzCheck(level.bits.size() >= std::size_t{level.pitch} * layout->RowCount(level.height));
        const std::vector<D3DCOLOR> argb = picture::LevelToArgb(p, i);
        FuzzCheck(argb.size() == std::size_t{level.width} * level.height);
        for (D3DCOLOR c : argb) {
            sink = sink ^ c;
        }
    }
    return 0;
}
