// The teardown's order, watched through deleters that write into the trace.
#include "app/Demo.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/DemoTestSupport.h"

namespace {

// Stand-ins for objects whose classes the shell only names: distinct addresses, never read.
alignas(16) unsigned char storage[32][16];
std::map<const void*, std::string> names;

template <typename T>
Owner<T> Named(int slot, const std::string& name) {
    void* address = storage[slot];
    names[address] = name;
    return Owner<T>(static_cast<T*>(address),
                    DestroyWith<T>{[](T* object) { Trace().push_back(names.at(object)); }});
}

using TeardownTest = DemoTest;

TEST_F(TeardownTest, DestroysEveryObjectInTheWrittenOrder) {
    DevicePtr<IDirect3D8> direct3D(new TestDirect3D(false, createDeviceCalls, device));
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_A8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    HWND__ window;
    ASSERT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &window,
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                     demo.device.ReleaseAndGetAddressOf()),
              D3D_OK);
    demo.direct3D = std::move(direct3D);
    demo.musicPlayer = std::make_unique<TracedMusicPlayer>(nullptr, audio);

    const char* const players[] = {"meczet", "tuba",    "kolumny", "wieza",  "hind",
                                   "tunel",  "ring",    "abstr01", "miasto", "abstr03",
                                   "fur",    "abstr02", "tornado", "furball"};
    int slot = 0;
    // Filled against the order of destruction, so that filling cannot pass for it.
    for (int i = kPosterCount - 1; i >= 0; --i) {
        demo.posterPictures[i] = Named<Sprite>(slot++, "posterPictures " + std::to_string(i + 1));
    }
    demo.framePicture = Named<Sprite>(slot++, "framePicture");
    demo.blobPicture = Named<Sprite>(slot++, "blobPicture");
    demo.blackPicture = Named<Sprite>(slot++, "blackPicture");
    demo.whitePicture = Named<Sprite>(slot++, "whitePicture");
    demo.loadingPicture = Named<Sprite>(slot++, "loadingPicture");
    demo.endPicture = Named<Sprite>(slot++, "endPicture");
    for (int i = kScenePlayerCount - 1; i >= 0; --i) {
        demo.scenePlayers[i] = Named<ScenePlayer>(slot++, players[i]);
    }
    demo.spiralZoomEffect = Named<SpiralZoomEffect>(slot++, "SpiralZoomEffect");
    demo.rotatingLayersEffect = Named<RotatingLayersEffect>(slot++, "RotatingLayersEffect");
    Trace().clear();

    DestroyDemoObjects(demo);

    const std::vector<std::string> expected = {
        // Stop frees the library; the destructor frees it a second time.
        "BASS_Free",
        "music player destroyed",
        "BASS_Free",
        "RotatingLayersEffect",
        "SpiralZoomEffect",
        "meczet",
        "tuba",
        "kolumny",
        "wieza",
        "hind",
        "tunel",
        "ring",
        "abstr01",
        "miasto",
        "abstr03",
        "fur",
        "abstr02",
        "tornado",
        "furball",
        "endPicture",
        "loadingPicture",
        "whitePicture",
        "blackPicture",
        "blobPicture",
        "framePicture",
        "posterPictures 1",
        "posterPictures 2",
        "posterPictures 3",
        "posterPictures 4",
        "posterPictures 5",
        "posterPictures 6",
        "device released",
        "Direct3D released"};
    EXPECT_EQ(Trace(), expected);

    EXPECT_EQ(demo.musicPlayer, nullptr);
    EXPECT_EQ(demo.rotatingLayersEffect, nullptr);
    EXPECT_EQ(demo.spiralZoomEffect, nullptr);
    for (const Owner<ScenePlayer>& player : demo.scenePlayers) {
        EXPECT_EQ(player, nullptr);
    }
    for (const Owner<Sprite>& poster : demo.posterPictures) {
        EXPECT_EQ(poster, nullptr);
    }
    EXPECT_EQ(demo.endPicture, nullptr);
    EXPECT_EQ(demo.framePicture, nullptr);
    EXPECT_FALSE(demo.device);
    EXPECT_FALSE(demo.direct3D);
}

TEST_F(TeardownTest, DestroysOnlyWhatExists) {
    // The loading picture is gone since start-up; everything else is there.
    demo.musicPlayer = std::make_unique<TracedMusicPlayer>(nullptr, audio);
    demo.whitePicture = Named<Sprite>(0, "whitePicture");
    demo.blobPicture = Named<Sprite>(1, "blobPicture");
    Trace().clear();

    DestroyDemoObjects(demo);
    EXPECT_EQ(Trace(), (std::vector<std::string>{"BASS_Free", "music player destroyed", "BASS_Free",
                                                 "whitePicture", "blobPicture"}));

    Trace().clear();
    DestroyDemoObjects(demo);
    EXPECT_TRUE(Trace().empty());
}

} // namespace
