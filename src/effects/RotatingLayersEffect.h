// The rotating layers effect: four layers of one picture pulsing in size and turning about the
// screen centre.
#pragma once

#include <cstdint>
#include <memory>

#include "device/D3D8.h"
#include "effects/Effect.h"

class Sprite;

// Draws "data\load.jpg" four times per frame, each layer one second ahead of the one before and
// more transparent. Owns the picture from Load until Release or destruction. Never clears.
class RotatingLayersEffect : public Effect {
public:
    RotatingLayersEffect();
    ~RotatingLayersEffect() override;

    // Makes the picture (opaque white) from "data\load.jpg" in the current directory, unscaled in
    // its texture, replacing an earlier one, and sets the loaded flag.
    virtual void Load(IDirect3DDevice8* device);
    // Destroys the picture.
    virtual void Release();
    // Draws layers k = 0..3 for `time` in hundredths of a second; draws nothing before Load.
    // Gives 0. For layer k, with τ = time + 100k:
    //   a = τ × 0.02f and b = τ × 0.011111111f (float constants, products in double);
    //   s = float(2.0 + 0.7 × sin(0.9b + 0.5a)), the scale of both axes;
    //   position (400 − 400s, 300 − 300s), rotation centre (400s, 300s), both rounded once from
    //   double; rotation float(b) radians. So the picture point (400, 300) stays on the screen
    //   centre. Layers 1, 2, 3 set alpha 192, 128, 96 (white); layer 0 keeps the colour the
    //   picture holds: opaque after Load, then alpha 96 from layer 3 of the previous Render.
    virtual int Render(std::uint32_t time);

protected:
    // The picture Load fills, with colour (a, r, g, b); a separate step so that tests can watch
    // the calls made on it.
    virtual std::unique_ptr<Sprite> NewPicture(int a, int r, int g, int b);

private:
    std::unique_ptr<Sprite> picture;
};
