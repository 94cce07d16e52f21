// The utility layer's sprite object.
#include "device/D3DXSprite.h"

#include <cmath>

#include "device/DevicePtr.h"

namespace {

// A pre-transformed vertex with colour and one texture coordinate.
struct SpriteVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};

constexpr DWORD kSpriteFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(sizeof(SpriteVertex) == 28);

// Formats whose texels carry alpha or come through a palette: drawing them blends.
bool FormatBlends(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_A8P8:
    case D3DFMT_P8:
    case D3DFMT_A8L8:
    case D3DFMT_A4L4:
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        return true;
    default:
        return false;
    }
}

// Rotation about z for the quaternion (0, 0, sin(−θ/2), cos(−θ/2)) with row vectors:
// rows (1 − 2s², 2sc), (−2sc, 1 − 2s²).
Matrix RotationZ(float angle) {
    const float s = std::sin(-angle * 0.5f);
    const float c = std::cos(-angle * 0.5f);
    Matrix r = MatrixIdentity();
    r.m[0][0] = 1.0f - 2.0f * s * s;
    r.m[0][1] = 2.0f * s * c;
    r.m[1][0] = -2.0f * s * c;
    r.m[1][1] = 1.0f - 2.0f * s * s;
    return r;
}

// Holds the device, the begun flag, and two state blocks recorded on the first Begin with the
// same states: the sprite's own values, and the caller's values captured at each Begin.
class SpriteObject final : public ID3DXSprite {
public:
    SpriteObject(IDirect3DDevice8* device, bool canBlend)
        : device_(DevicePtr<IDirect3DDevice8>::Share(device)), canBlend_(canBlend) {}

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT GetDevice(IDirect3DDevice8** ppDevice) override {
        if (!ppDevice) {
            return D3DERR_INVALIDCALL;
        }
        device_->AddRef();
        *ppDevice = device_.Get();
        return D3D_OK;
    }

    HRESULT Begin() override {
        if (begun_) {
            return E_FAIL;
        }
        if (!recorded_) {
            const HRESULT hr = RecordBlocks();
            if (FAILED(hr)) {
                return hr;
            }
        }
        HRESULT hr = device_->CaptureStateBlock(savedBlock_);
        if (SUCCEEDED(hr)) {
            hr = device_->ApplyStateBlock(spriteBlock_);
        }
        if (FAILED(hr)) {
            return hr;
        }
        begun_ = true;
        return D3D_OK;
    }

    HRESULT Draw(IDirect3DTexture8* pSrcTexture, const RECT* pSrcRect, const D3DXVECTOR2* pScaling,
                 const D3DXVECTOR2* pRotationCenter, float Rotation,
                 const D3DXVECTOR2* pTranslation, D3DCOLOR Color) override {
        if (!pSrcTexture) {
            return D3DERR_INVALIDCALL;
        }
        const D3DXVECTOR2 scaling = pScaling ? *pScaling : D3DXVECTOR2{1.0f, 1.0f};
        const D3DXVECTOR2 centre = pRotationCenter ? *pRotationCenter : D3DXVECTOR2{0.0f, 0.0f};
        const D3DXVECTOR2 move = pTranslation ? *pTranslation : D3DXVECTOR2{0.0f, 0.0f};
        Matrix m = MatrixScaling(Vector3{scaling.x, scaling.y, 1.0f});
        if (Rotation != 0.0f) {
            MatrixMultiplyInPlace(m, MatrixTranslation(-centre.x, -centre.y, 0.0f));
            MatrixMultiplyInPlace(m, RotationZ(Rotation));
            MatrixMultiplyInPlace(m, MatrixTranslation(centre.x, centre.y, 0.0f));
        }
        MatrixMultiplyInPlace(m, MatrixTranslation(move.x, move.y, 0.0f));
        return DrawTransform(pSrcTexture, pSrcRect, &m, Color);
    }

    HRESULT DrawTransform(IDirect3DTexture8* pSrcTexture, const RECT* pSrcRect,
                          const Matrix* pTransform, D3DCOLOR Color) override {
        if (!pSrcTexture) {
            return D3DERR_INVALIDCALL;
        }
        D3DSURFACE_DESC desc{};
        HRESULT hr = pSrcTexture->GetLevelDesc(0, &desc);
        if (FAILED(hr)) {
            return hr;
        }
        const RECT whole = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
        const RECT r = pSrcRect ? *pSrcRect : whole;
        if (r.left < 0 || r.top < 0 || r.right <= r.left || r.bottom <= r.top ||
            r.right > whole.right || r.bottom > whole.bottom) {
            return D3DERR_INVALIDCALL;
        }
        const Matrix m = pTransform ? *pTransform : MatrixIdentity();

        const bool ownBegin = !begun_;
        if (ownBegin) {
            hr = Begin();
            if (FAILED(hr)) {
                return hr;
            }
        }
        const bool blend = (Color >> 24) < 0xFF || FormatBlends(desc.Format);
        device_->SetRenderState(canBlend_ ? D3DRS_ALPHABLENDENABLE : D3DRS_ALPHATESTENABLE,
                                blend ? TRUE : FALSE);
        device_->SetTexture(0, pSrcTexture);

        const float w = static_cast<float>(r.right - r.left);
        const float h = static_cast<float>(r.bottom - r.top);
        const float corners[4][2] = {{0.0f, 0.0f}, {w, 0.0f}, {w, h}, {0.0f, h}};
        SpriteVertex quad[4];
        for (int i = 0; i < 4; ++i) {
            const float x = corners[i][0];
            const float y = corners[i][1];
            quad[i] = {x * m.m[0][0] + y * m.m[1][0] + m.m[3][0] - 0.5f,
                       x * m.m[0][1] + y * m.m[1][1] + m.m[3][1] - 0.5f,
                       0.0f,
                       1.0f,
                       Color,
                       (static_cast<float>(r.left) + x) / static_cast<float>(desc.Width),
                       (static_cast<float>(r.top) + y) / static_cast<float>(desc.Height)};
        }
        hr = device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(SpriteVertex));
        if (ownBegin) {
            End();
        }
        return hr;
    }

    HRESULT End() override {
        if (!begun_) {
            return E_FAIL;
        }
        begun_ = false;
        return device_->ApplyStateBlock(savedBlock_);
    }

private:
    ~SpriteObject() override {
        if (recorded_) {
            device_->DeleteStateBlock(spriteBlock_);
            device_->DeleteStateBlock(savedBlock_);
        }
    }

    // Every state the sprite changes, with the sprite's values. Draw changes the blending (or
    // alpha test) switch and texture 0, and its drawing from memory unbinds stream 0; they are
    // here so that they are saved and put back as well.
    void SetSpriteStates() {
        IDirect3DDevice8* d = device_.Get();
        d->SetVertexShader(kSpriteFvf);
        d->SetStreamSource(0, nullptr, 0);
        d->SetTexture(0, nullptr);
        d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_FOGENABLE, FALSE);
        if (canBlend_) {
            d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
            d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            d->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
        } else {
            d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
            d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
            d->SetRenderState(D3DRS_ALPHAREF, 127);
        }
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
        d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        d->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        d->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }

    HRESULT RecordBlocks() {
        HRESULT hr = device_->BeginStateBlock();
        if (SUCCEEDED(hr)) {
            SetSpriteStates();
            hr = device_->EndStateBlock(&spriteBlock_);
        }
        if (FAILED(hr)) {
            return hr;
        }
        hr = device_->BeginStateBlock();
        if (SUCCEEDED(hr)) {
            SetSpriteStates();
            hr = device_->EndStateBlock(&savedBlock_);
        }
        if (FAILED(hr)) {
            device_->DeleteStateBlock(spriteBlock_);
            return hr;
        }
        recorded_ = true;
        return D3D_OK;
    }

    DevicePtr<IDirect3DDevice8> device_;
    ULONG refs_ = 1;
    bool canBlend_;
    bool begun_ = false;
    bool recorded_ = false;
    DWORD spriteBlock_ = 0;
    DWORD savedBlock_ = 0;
};

} // namespace

HRESULT D3DXCreateSprite(IDirect3DDevice8* pDevice, ID3DXSprite** ppSprite) {
    if (!pDevice || !ppSprite) {
        return D3DERR_INVALIDCALL;
    }
    D3DCAPS8 caps{};
    const HRESULT hr = pDevice->GetDeviceCaps(&caps);
    if (FAILED(hr)) {
        return hr;
    }
    const bool canBlend = (caps.SrcBlendCaps & D3DPBLENDCAPS_SRCALPHA) != 0 &&
                          (caps.DestBlendCaps & D3DPBLENDCAPS_INVSRCALPHA) != 0;
    *ppSprite = new SpriteObject(pDevice, canBlend);
    return D3D_OK;
}
