// The demo's process-wide objects, what the program takes from its surroundings, and the entry
// points that create, run and destroy them.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>

#include "app/DemoClock.h"
#include "audio/MusicPlayer.h"
#include "device/D3D8.h"
#include "device/DevicePtr.h"
#include "platform/Win32.h"

class RotatingLayersEffect;
class SpiralZoomEffect;
class ScenePlayer;
class Sprite;

// Deletes through the function its creator gave, so that an owning global can be declared where
// its class is only named, and a test can watch the destruction.
template <typename T>
struct DestroyWith {
    void (*destroy)(T*) = nullptr;
    void operator()(T* object) const { destroy(object); }
};

// An owning pointer whose deleter travels with the object.
template <typename T>
using Owner = std::unique_ptr<T, DestroyWith<T>>;

// A new T owned with plain delete; T must be complete here.
template <typename T, typename... Args>
Owner<T> MakeOwner(Args&&... args) {
    return Owner<T>(new T(std::forward<Args>(args)...),
                    DestroyWith<T>{[](T* object) { delete object; }});
}

// The scene players, in the order Startup creates them and the teardown destroys them.
enum ScenePlayerSlot : std::size_t {
    kMeczetPlayer,
    kTubaPlayer,
    kKolumnyPlayer,
    kWiezaPlayer,
    kHindPlayer,
    kTunelPlayer,
    kRingPlayer,
    kAbstr01Player,
    kMiastoPlayer,
    kAbstr03Player,
    kFurPlayer,
    kAbstr02Player,
    kTornadoPlayer,
    kFurballPlayer,
    kScenePlayerCount
};

constexpr std::size_t kPosterCount = 6;

// What the demo takes from outside: the program's own in ProgramSystem(); tests give others.
struct DemoSystem {
    // Direct3DCreate8's place.
    std::function<IDirect3D8*(UINT sdkVersion)> createDirect3D;
    // The music player for the window.
    std::function<std::unique_ptr<MusicPlayer>(HWND window)> createMusicPlayer;
    // The millisecond counter of the demo clock, and its context.
    MillisecondCounter counter = nullptr;
    void* counterContext = nullptr;
};

// The OpenGL device's Direct3D object when the current window system has a display, null
// otherwise: the demo is made to be seen, and without a display there is no adapter to show it
// on (the device could still draw off screen, but nobody would see it).
IDirect3D8* CreateDisplayDirect3D8(UINT sdkVersion);

// The program's surroundings: CreateDisplayDirect3D8, a MusicPlayer over the system's audio
// library, and timeGetTime.
DemoSystem ProgramSystem();

// The process-wide objects. Each owner is null until its object exists and null again once it is
// destroyed. The owners are declared in the order of their destruction.
struct Demo {
    DemoSystem system = ProgramSystem();

    HWND window = nullptr;

    std::unique_ptr<MusicPlayer> musicPlayer;
    Owner<RotatingLayersEffect> rotatingLayersEffect;
    Owner<SpiralZoomEffect> spiralZoomEffect;
    std::array<Owner<ScenePlayer>, kScenePlayerCount> scenePlayers;
    Owner<Sprite> endPicture;
    Owner<Sprite> loadingPicture;
    Owner<Sprite> whitePicture;
    Owner<Sprite> blackPicture;
    Owner<Sprite> blobPicture;
    Owner<Sprite> framePicture;
    std::array<Owner<Sprite>, kPosterCount> posterPictures;
    DevicePtr<IDirect3DDevice8> device;
    DevicePtr<IDirect3D8> direct3D;

    // The demo clock (clockStart, demoTime) and the schedule entry of the frame being drawn.
    DemoClock clock{system.counter, system.counterContext};
    int currentEntry = 0;
};

extern Demo demo;

// The process entry: registers the window class, creates the window, starts up, plays the music,
// runs the message loop and tears down. Only the instance is used. -1 when the window class cannot
// be registered, 1 when start-up fails (after its message box), 0 otherwise.
int WinMain(HINSTANCE instance, HINSTANCE previousInstance, char* commandLine, int showCommand);

// The procedure of the window class "Demo": WM_DESTROY and Esc post the quit, WM_SETCURSOR hides
// the cursor; everything else goes to DefWindowProc.
LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the Direct3D object and the device on `demo.window` and sets the global render state.
// false, after its message box, when either cannot be created.
bool Startup();

// Draws one frame: clock step, entry selection, then the scene is begun, ended and presented.
// The final entry asks for the quit.
void Frame();

// Pumps at most one message per pass and calls `frame` after it, until the pass that retrieved
// WM_QUIT (which still dispatches it and draws its frame).
void RunMessageLoop(const std::function<void()>& frame);

// Stops and destroys the music player, then destroys the effects, the scene players and the
// pictures, and releases the device and the Direct3D object, in that order; each only if it
// exists, each owner null afterwards.
void DestroyDemoObjects(Demo& objects);
