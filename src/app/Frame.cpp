// One frame of the demo.
#include "app/Demo.h"

namespace {

// The schedule's final entry: the demo is over.
constexpr int kEndEntry = 22;

} // namespace

void Frame() {
    demo.clock.Step();
    IDirect3DDevice8* device = demo.device.Get();
    device->BeginScene();
    demo.currentEntry = SelectEntry(demo.clock.demoTime);
    if (demo.currentEntry == kEndEntry) {
        PostQuitMessage(0);
    }
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}
