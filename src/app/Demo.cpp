// The process-wide objects, the program's surroundings and the teardown.
#include "app/Demo.h"

Demo demo;

namespace {

std::uint32_t SystemMilliseconds(void*) {
    return timeGetTime();
}

} // namespace

IDirect3D8* CreateDisplayDirect3D8(UINT sdkVersion) {
    return IsDisplayAvailable() ? Direct3DCreate8(sdkVersion) : nullptr;
}

DemoSystem ProgramSystem() {
    DemoSystem system;
    system.createDirect3D = CreateDisplayDirect3D8;
    system.createMusicPlayer = [](HWND window) { return std::make_unique<MusicPlayer>(window); };
    system.counter = SystemMilliseconds;
    system.counterContext = nullptr;
    return system;
}

void DestroyDemoObjects(Demo& objects) {
    if (objects.musicPlayer != nullptr) {
        objects.musicPlayer->Stop();
        objects.musicPlayer.reset();
    }
    objects.rotatingLayersEffect.reset();
    objects.spiralZoomEffect.reset();
    for (Owner<ScenePlayer>& player : objects.scenePlayers) {
        player.reset();
    }
    objects.endPicture.reset();
    objects.loadingPicture.reset();
    objects.whitePicture.reset();
    objects.blackPicture.reset();
    objects.blobPicture.reset();
    objects.framePicture.reset();
    for (Owner<Sprite>& poster : objects.posterPictures) {
        poster.reset();
    }
    objects.device.Reset();
    objects.direct3D.Reset();
}
