// Putting an alpha mask into a colour picture's alpha channel.
#pragma once

struct ImageBuffer;

// Writes the alpha mask `mask` into the alpha byte of every pixel of the colour picture
// `image`: pixel k becomes (mask byte k << 24) | (pixel k & 0x00FFFFFF).
// A mask of another size is first resampled to the picture's size by nearest sample, and takes
// the new pixels and the picture's width and height: xStep = mask width / picture width and
// yStep = mask height / picture height, each rounded to single precision; the position (x, y)
// starts at (0, 0), x grows by xStep after each column and returns to 0 for each row, y grows by
// yStep after each row, both summed in double precision; the sample at row i, column j is the
// old mask byte at row trunc(y), column trunc(x) (clamped to the mask, which only a picture
// larger than 2^24 pixels a side can need).
// Nothing changes when either record has no pixel array, or when the mask is empty and the
// picture is not (there is nothing to sample). Both records stay owned by the caller.
void MergeAlpha(ImageBuffer* image, ImageBuffer* mask);
