// Switches shared by every device implementation, for tests that need a device with other
// capabilities than the one it really has.
#include "device/DeviceOptions.h"

void ApplyDeviceOptions(const DeviceOptions& options, D3DCAPS8& caps) {
    if (options.powerOfTwoTexturesOnly) {
        caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
        caps.TextureCaps &= ~D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    }
    if (options.squareTexturesOnly) {
        caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
        caps.MaxTextureAspectRatio = 1;
    }
}
