// The spiral zoom effect: sixteen faint layers of one picture growing and turning about the
// screen centre, faster for higher layers and later times.
#pragma once

#include <cstdint>
#include <memory>

#include "device/D3D8.h"
#include "effects/Effect.h"

class Sprite;

// Draws "data\back002.jpg" sixteen times per frame. Owns the picture from Load until Release or
// destruction. Never clears; every property a layer uses is set before it is drawn.
class SpiralZoomEffect : public Effect {
public:
    SpiralZoomEffect();
    ~SpiralZoomEffect() override;

    // Makes the picture (opaque white) from "data\back002.jpg" in the current directory, unscaled
    // in its texture, replacing an earlier one, and sets the loaded flag.
    virtual void Load(IDirect3DDevice8* device);
    // Destroys the picture.
    virtual void Release();
    // Draws layers i = 0..15 for `time` in hundredths of a second; draws nothing before Load.
    // Gives 0. With m = float(5 × time) and, per layer, z = float(i × m × 0.0005f) (the product
    // taken in double, which holds it exactly, then rounded once): position
    // (400 − 400z, 300 − 300z), scale (0.5z, 0.5z), rotation centre (400z, 300z), rotation z
    // radians, colour (4i, 255, 255, 255). So the picture point (800, 600) stays on the screen
    // centre.
    virtual int Render(std::uint32_t time);

protected:
    // The picture Load fills, with colour (a, r, g, b); a separate step so that tests can watch
    // the calls made on it.
    virtual std::unique_ptr<Sprite> NewPicture(int a, int r, int g, int b);

private:
    std::unique_ptr<Sprite> picture;
};
