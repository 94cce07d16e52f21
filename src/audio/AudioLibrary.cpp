// The system's audio library: the seven calls over SDL2_mixer, which decodes and plays the music.
#include "audio/AudioLibrary.h"

#include "platform/FileSystem.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <climits>
#include <map>

namespace {

constexpr int kDefaultDevice = -1;
// Output is 16-bit signed native-endian stereo at the frequency BASS_Init asks for; a buffer of
// 2048 frames is about 46 ms at 44100 Hz.
constexpr int kChannels = 2;
constexpr int kBufferFrames = 2048;

// A stream's file, opened like every file of the program: backslashes and letter case in the
// name are resolved, so "data\demo.mp3" finds data/demo.mp3.
SDL_RWops* OpenStreamFile(const char* path) {
    std::FILE* file = OpenFile(path, "rb");
    return file != nullptr ? SDL_RWFromFP(file, SDL_TRUE) : nullptr;
}

// Owns the SDL audio subsystem and the mixer while the output is open, and every stream it
// created until BASS_Free.
class SdlMixerLibrary final : public AudioLibrary {
public:
    SdlMixerLibrary() = default;
    ~SdlMixerLibrary() override { BASS_Free(); }

    SdlMixerLibrary(const SdlMixerLibrary&) = delete;
    SdlMixerLibrary& operator=(const SdlMixerLibrary&) = delete;

    std::uint32_t BASS_GetVersion() override { return kAudioLibraryVersion; }

    int BASS_Init(int device, std::uint32_t frequency, std::uint32_t, void*) override {
        if (open || device != kDefaultDevice || frequency == 0 || frequency > INT_MAX) {
            return 0;
        }
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return 0;
        }
        Mix_Init(MIX_INIT_MP3);
        if (Mix_OpenAudio(static_cast<int>(frequency), AUDIO_S16SYS, kChannels, kBufferFrames) !=
            0) {
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return 0;
        }
        open = true;
        return 1;
    }

    StreamHandle BASS_StreamCreateFile(int mem, const char* path, std::uint64_t offset,
                                       std::uint64_t length, std::uint32_t) override {
        if (!open || mem != 0 || path == nullptr || offset != 0 || length != 0) {
            return 0;
        }
        SDL_RWops* file = OpenStreamFile(path);
        if (file == nullptr) {
            return 0;
        }
        // The music takes the file over, closing it even when it cannot be decoded.
        Mix_Music* music = Mix_LoadMUS_RW(file, 1);
        if (music == nullptr) {
            return 0;
        }
        const StreamHandle handle = NextHandle();
        streams[handle] = music;
        return handle;
    }

    std::uint32_t BASS_ChannelSetSync(StreamHandle stream, std::uint32_t, std::uint64_t,
                                      SyncCallback callback, void*) override {
        // Nothing here would deliver a callback, so a sync that asks for one is refused rather
        // than silently never called.
        if (streams.find(stream) == streams.end() || callback != nullptr) {
            return 0;
        }
        return ++lastSync;
    }

    int BASS_Start() override { return open ? 1 : 0; }

    int BASS_StreamPlay(StreamHandle stream, int flush, std::uint32_t flags) override {
        const auto found = streams.find(stream);
        if (found == streams.end()) {
            return 0;
        }
        if (stream == playing && flush == 0 && Mix_PlayingMusic() != 0) {
            return 1;
        }
        const int loops = (flags & kPlayLoop) != 0 ? -1 : 0;
        if (Mix_PlayMusic(found->second, loops) != 0) {
            return 0;
        }
        playing = stream;
        return 1;
    }

    int BASS_Free() override {
        if (!open) {
            return 0;
        }
        Mix_HaltMusic();
        for (const auto& [handle, music] : streams) {
            Mix_FreeMusic(music);
        }
        streams.clear();
        playing = 0;
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        open = false;
        return 1;
    }

private:
    // Handles count up from 1 and skip 0 and any still in use when they wrap.
    StreamHandle NextHandle() {
        do {
            ++lastHandle;
        } while (lastHandle == 0 || streams.count(lastHandle) != 0);
        return lastHandle;
    }

    bool open = false;
    std::map<StreamHandle, Mix_Music*> streams;
    StreamHandle lastHandle = 0;
    StreamHandle playing = 0;
    std::uint32_t lastSync = 0;
};

} // namespace

AudioLibrary& SystemAudioLibrary() {
    static SdlMixerLibrary library;
    return library;
}
