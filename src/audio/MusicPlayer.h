// The demo's soundtrack: hands one music file to the audio library and starts and stops it.
#pragma once

#include "audio/AudioLibrary.h"

// Plays one stream through an audio library it links to (the system's unless a test gives
// another). Every failure leaves it silent: the calls then answer false and do nothing.
class MusicPlayer {
public:
    // Initialises the library for `window` (an opaque window handle), but only when the library
    // reports kAudioLibraryVersion.
    explicit MusicPlayer(void* window);
    MusicPlayer(void* window, AudioLibrary& library);
    // The same as Stop, so a player already stopped frees the library a second time.
    virtual ~MusicPlayer();

    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Creates the stream on the file `path` (backslashes and letter case resolved) and starts the
    // library's output; false when the library is not initialised or the stream cannot be made.
    bool Load(const char* path);
    // Starts the stream, looping; false, calling nothing, when there is no stream.
    bool Play();
    // Forgets the stream and frees the library.
    void Stop();

private:
    AudioLibrary* library;
    bool initialised = false;
    StreamHandle stream = 0;
};
