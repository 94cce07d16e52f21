// The audio library the music player talks to: seven calls with fixed names, arguments and
// results, an interface so that tests can stand in for it, and the system's own implementation.
#pragma once

#include <cstdint>

// A stream of the library; 0 is never a stream.
using StreamHandle = std::uint32_t;

// A function the library would call when a sync fires; this system never passes one.
using SyncCallback = void (*)(std::uint32_t sync, StreamHandle stream, std::uint32_t data,
                              void* user);

// The one version the music player accepts, as BASS_GetVersion reports it.
constexpr std::uint32_t kAudioLibraryVersion = 0x00020001;

// BASS_StreamPlay flag: the stream starts again from its beginning when it ends.
constexpr std::uint32_t kPlayLoop = 4;

// The calls answer as a C library does: non-zero for success, 0 for failure, and never throw.
class AudioLibrary {
public:
    virtual ~AudioLibrary() = default;

    // The library's version number.
    virtual std::uint32_t BASS_GetVersion() = 0;
    // Opens the output: `device` -1 is the system's default device, `frequency` in Hz. `flags`
    // and `window` tune output the library chooses for itself here; they are accepted as given.
    // 0 when no device can be opened or the output is open already.
    virtual int BASS_Init(int device, std::uint32_t frequency, std::uint32_t flags,
                          void* window) = 0;
    // A stream on the whole file at `path`, with `mem` 0, `offset` 0 and `length` 0; 0 when the
    // output is not open, the file is missing or cannot be decoded, or the arguments ask to
    // stream from memory or from part of a file.
    virtual StreamHandle BASS_StreamCreateFile(int mem, const char* path, std::uint64_t offset,
                                               std::uint64_t length, std::uint32_t flags) = 0;
    // Sets a sync of `type` on `stream`; a non-zero sync handle, or 0 for an unknown stream.
    virtual std::uint32_t BASS_ChannelSetSync(StreamHandle stream, std::uint32_t type,
                                              std::uint64_t param, SyncCallback callback,
                                              void* user) = 0;
    // Starts the output; 0 when it is not open.
    virtual int BASS_Start() = 0;
    // Plays `stream` (looping with kPlayLoop in `flags`). A stream already playing keeps its
    // place unless `flush` is non-zero, which restarts it. 0 for an unknown stream.
    virtual int BASS_StreamPlay(StreamHandle stream, int flush, std::uint32_t flags) = 0;
    // Stops everything, frees every stream and closes the output; 0 when it was not open, which
    // makes a second call, or one before BASS_Init, harmless.
    virtual int BASS_Free() = 0;
};

// The system's audio library over SDL2_mixer, which decodes the files and drives the sound
// device. Audio output is one per process, so there is exactly one.
AudioLibrary& SystemAudioLibrary();
