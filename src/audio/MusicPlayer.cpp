// Soundtrack player over the audio library.
#include "audio/MusicPlayer.h"

namespace {

constexpr int kDefaultDevice = -1;
constexpr std::uint32_t kFrequency = 44100;
constexpr std::uint32_t kInitFlags = 16;
constexpr std::uint32_t kSyncType = 2;

} // namespace

MusicPlayer::MusicPlayer(void* window) : MusicPlayer(window, SystemAudioLibrary()) {}

MusicPlayer::MusicPlayer(void* window, AudioLibrary& library) : library(&library) {
    stream = 0;
    // Any other version may differ in its calls, so it is not initialised at all.
    if (library.BASS_GetVersion() == kAudioLibraryVersion) {
        initialised = library.BASS_Init(kDefaultDevice, kFrequency, kInitFlags, window) != 0;
    } else {
        initialised = false;
    }
}

MusicPlayer::~MusicPlayer() {
    Stop();
}

bool MusicPlayer::Load(const char* path) {
    if (!initialised) {
        return false;
    }
    stream = library->BASS_StreamCreateFile(0, path, 0, 0, 0);
    if (stream == 0) {
        return false;
    }
    library->BASS_ChannelSetSync(stream, kSyncType, 0, nullptr, nullptr);
    library->BASS_Start();
    return true;
}

bool MusicPlayer::Play() {
    if (stream == 0) {
        return false;
    }
    library->BASS_StreamPlay(stream, 0, kPlayLoop);
    return true;
}

void MusicPlayer::Stop() {
    stream = 0;
    library->BASS_Free();
}
