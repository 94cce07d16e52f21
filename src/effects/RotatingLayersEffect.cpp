// The rotating layers effect.
#include "effects/RotatingLayersEffect.h"

#include <cmath>

#include "device/D3DX.h"
#include "image/Sprite.h"

RotatingLayersEffect::RotatingLayersEffect() = default;

RotatingLayersEffect::~RotatingLayersEffect() = default;

std::unique_ptr<Sprite> RotatingLayersEffect::NewPicture(int a, int r, int g, int b) {
    return std::make_unique<Sprite>(a, r, g, b);
}

void RotatingLayersEffect::Load(IDirect3DDevice8* device) {
    picture = NewPicture(255, 255, 255, 255);
    picture->LoadFromFileEx("data\\load.jpg", device, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT,
                            D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr);
    loaded = true;
}

void RotatingLayersEffect::Release() {
    picture.reset();
}

int RotatingLayersEffect::Render(std::uint32_t time) {
    if (!picture) {
        return 0;
    }
    // Alpha of layers 1 to 3; layer 0 sets none.
    constexpr int kAlpha[4] = {0, 192, 128, 96};
    for (std::uint32_t k = 0; k < 4; ++k) {
        const double tau = static_cast<double>(time + 100 * k);
        const double a = tau * static_cast<double>(0.02f);
        const double b = tau * static_cast<double>(0.011111111f);
        const float s = static_cast<float>(2.0 + 0.7 * std::sin(0.9 * b + 0.5 * a));
        const double sd = s;
        picture->SetPosition(static_cast<float>(400.0 - sd * 800.0 * 0.5),
                             static_cast<float>(300.0 - sd * 600.0 * 0.5));
        picture->SetScale(s, s);
        picture->SetRotationCenter(static_cast<float>(sd * 400.0), static_cast<float>(sd * 300.0));
        picture->SetRotation(static_cast<float>(b));
        if (k > 0) {
            picture->SetColor(kAlpha[k], 255, 255, 255);
        }
        picture->Draw();
    }
    return 0;
}
