// The spiral zoom effect.
#include "effects/SpiralZoomEffect.h"

#include "device/D3DX.h"
#include "image/Sprite.h"

SpiralZoomEffect::SpiralZoomEffect() = default;

SpiralZoomEffect::~SpiralZoomEffect() = default;

std::unique_ptr<Sprite> SpiralZoomEffect::NewPicture(int a, int r, int g, int b) {
    return std::make_unique<Sprite>(a, r, g, b);
}

void SpiralZoomEffect::Load(IDirect3DDevice8* device) {
    picture = NewPicture(255, 255, 255, 255);
    picture->LoadFromFileEx("data\\back002.jpg", device, 0, 0, 0, 0, D3DFMT_UNKNOWN,
                            D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr);
    loaded = true;
}

void SpiralZoomEffect::Release() {
    picture.reset();
}

int SpiralZoomEffect::Render(std::uint32_t time) {
    if (!picture) {
        return 0;
    }
    const float m = static_cast<float>(5 * time);
    for (int i = 0; i < 16; ++i) {
        const float z =
            static_cast<float>(i * static_cast<double>(m) * static_cast<double>(0.0005f));
        const double zd = z;
        picture->SetPosition(static_cast<float>((800.0 - 800.0 * zd) * 0.5),
                             static_cast<float>((600.0 - 600.0 * zd) * 0.5));
        picture->SetScale(0.5f * z, 0.5f * z);
        picture->SetRotationCenter(static_cast<float>(400.0 * zd), static_cast<float>(300.0 * zd));
        picture->SetRotation(z);
        picture->SetColor(4 * i, 255, 255, 255);
        picture->Draw();
    }
    return 0;
}
