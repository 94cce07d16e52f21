// The system's audio library over SDL2_mixer, run through SDL's dummy and disk audio drivers so
// that no sound card is needed; the disk driver's output shows what was really played.
#include "audio/AudioLibrary.h"
#include "audio/MusicPlayer.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;
constexpr double kToneHz = 440.0;
constexpr double kToneSeconds = 0.5;
constexpr double kToneAmplitude = 16384.0; // half of full scale

// A file in the temporary folder, unique to this process, removed again at the end of the test.
class TempFile {
public:
    explicit TempFile(const std::string& name)
        : path(fs::temp_directory_path() /
               ("audio_test_" + std::to_string(getpid()) + "_" + name)) {}
    ~TempFile() {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    std::string Name() const { return path.string(); }
    void Write(const std::vector<unsigned char>& bytes) const {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    const fs::path path;
};

// A mono MP3 of kToneSeconds of a kToneHz sine at kToneAmplitude, 44100 Hz, 128 kbit/s.
std::vector<unsigned char> EncodeTone() {
    const int frames = static_cast<int>(kRate * kToneSeconds);
    std::vector<short> pcm(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const double phase = 2.0 * std::numbers::pi * kToneHz * i / kRate;
        pcm[static_cast<std::size_t>(i)] = static_cast<short>(kToneAmplitude * std::sin(phase));
    }

    lame_global_flags* encoder = lame_init();
    lame_set_in_samplerate(encoder, kRate);
    lame_set_out_samplerate(encoder, kRate);
    lame_set_num_channels(encoder, 1);
    lame_set_mode(encoder, MONO);
    lame_set_brate(encoder, 128);
    if (lame_init_params(encoder) < 0) {
        lame_close(encoder);
        return {};
    }
    // The encoder's documented worst case: 1.25 × samples + 7200 bytes.
    std::vector<unsigned char> mp3(static_cast<std::size_t>(frames) * 5 / 4 + 7200);
    const int body = lame_encode_buffer(encoder, pcm.data(), pcm.data(), frames, mp3.data(),
                                        static_cast<int>(mp3.size()));
    int tail = -1;
    if (body >= 0) {
        tail = lame_encode_flush(encoder, mp3.data() + body, static_cast<int>(mp3.size()) - body);
    }
    lame_close(encoder);
    if (body < 0 || tail < 0) {
        return {};
    }
    mp3.resize(static_cast<std::size_t>(body + tail));
    return mp3;
}

void UseAudioDriver(const char* name) {
    setenv("SDL_AUDIODRIVER", name, 1);
}

// Every test leaves the library closed, whatever it asserted.
class SystemAudioLibraryTest : public ::testing::Test {
protected:
    void TearDown() override { library.BASS_Free(); }

    AudioLibrary& library = SystemAudioLibrary();
};

TEST_F(SystemAudioLibraryTest, CallsBeforeInitFailHarmlessly) {
    EXPECT_EQ(library.BASS_Free(), 0);
    EXPECT_EQ(library.BASS_Free(), 0);
    EXPECT_EQ(library.BASS_StreamCreateFile(0, "missing.mp3", 0, 0, 0), 0u);
    EXPECT_EQ(library.BASS_ChannelSetSync(1, 2, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(library.BASS_Start(), 0);
    EXPECT_EQ(library.BASS_StreamPlay(1, 0, kPlayLoop), 0);
}

TEST_F(SystemAudioLibraryTest, InitOpensOnceUntilFreed) {
    UseAudioDriver("dummy");
    ASSERT_NE(library.BASS_Init(-1, 44100, 16, nullptr), 0);
    EXPECT_EQ(library.BASS_Init(-1, 44100, 16, nullptr), 0);
    EXPECT_NE(library.BASS_Start(), 0);
    EXPECT_NE(library.BASS_Free(), 0);
    EXPECT_EQ(library.BASS_Free(), 0);
    EXPECT_EQ(library.BASS_Start(), 0);
    EXPECT_NE(library.BASS_Init(-1, 44100, 16, nullptr), 0);
}

TEST_F(SystemAudioLibraryTest, InitFailsWithoutASoundDevice) {
    UseAudioDriver("no-such-driver");
    EXPECT_EQ(library.BASS_Init(-1, 44100, 16, nullptr), 0);
    EXPECT_EQ(library.BASS_Start(), 0);
    EXPECT_EQ(library.BASS_Free(), 0);
}

TEST_F(SystemAudioLibraryTest, FilesThatCannotBeDecodedGiveNoStream) {
    UseAudioDriver("dummy");
    ASSERT_NE(library.BASS_Init(-1, 44100, 16, nullptr), 0);

    TempFile text("text.mp3");
    const std::string words = "this is not music, only a few words of text";
    text.Write(std::vector<unsigned char>(words.begin(), words.end()));
    TempFile empty("empty.mp3");
    empty.Write({});
    const std::string folder = fs::temp_directory_path().string();

    struct Case {
        const char* name;
        std::string path;
    } cases[] = {
        {"missing file", (fs::temp_directory_path() / "audio_test_no_such_file.mp3").string()},
        {"the demo's name, no data folder here", "data\\demo.mp3"},
        {"text", text.Name()},
        {"empty file", empty.Name()},
        {"a folder", folder},
        {"empty name", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(library.BASS_StreamCreateFile(0, c.path.c_str(), 0, 0, 0), 0u);
    }
    EXPECT_EQ(library.BASS_StreamCreateFile(0, nullptr, 0, 0, 0), 0u);
}

TEST_F(SystemAudioLibraryTest, StreamFromAnMp3AcceptsOnlyWhatItCanHonour) {
    UseAudioDriver("dummy");
    const std::vector<unsigned char> mp3 = EncodeTone();
    ASSERT_FALSE(mp3.empty());
    TempFile tone("tone.mp3");
    tone.Write(mp3);
    ASSERT_NE(library.BASS_Init(-1, 44100, 16, nullptr), 0);

    struct Case {
        const char* name;
        int mem;
        std::uint64_t offset;
        std::uint64_t length;
    } refused[] = {
        {"from memory", 1, 0, 0},
        {"from an offset", 0, 4, 0},
        {"part of the file", 0, 0, 100},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(library.BASS_StreamCreateFile(c.mem, tone.Name().c_str(), c.offset, c.length, 0),
                  0u);
    }

    const StreamHandle first = library.BASS_StreamCreateFile(0, tone.Name().c_str(), 0, 0, 0);
    const StreamHandle second = library.BASS_StreamCreateFile(0, tone.Name().c_str(), 0, 0, 0);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_NE(library.BASS_ChannelSetSync(first, 2, 0, nullptr, nullptr), 0u);
    // A callback would never be called, so asking for one fails.
    const SyncCallback callback = [](std::uint32_t, StreamHandle, std::uint32_t, void*) {};
    EXPECT_EQ(library.BASS_ChannelSetSync(first, 2, 0, callback, nullptr), 0u);
    EXPECT_EQ(library.BASS_ChannelSetSync(first + second, 2, 0, nullptr, nullptr), 0u);
    EXPECT_NE(library.BASS_StreamPlay(first, 0, kPlayLoop), 0);
    EXPECT_NE(library.BASS_StreamPlay(second, 1, 0), 0);
    EXPECT_EQ(library.BASS_StreamPlay(first + second, 0, 0), 0);

    // Freeing forgets every stream.
    EXPECT_NE(library.BASS_Free(), 0);
    ASSERT_NE(library.BASS_Init(-1, 44100, 16, nullptr), 0);
    EXPECT_EQ(library.BASS_StreamPlay(first, 0, 0), 0);
    EXPECT_EQ(library.BASS_ChannelSetSync(second, 2, 0, nullptr, nullptr), 0u);
}

TEST_F(SystemAudioLibraryTest, StreamNameIsResolvedLikeEveryFileOfTheProgram) {
    // The demo names its music "data\\demo.mp3"; on a case-sensitive system with '/' separators
    // the file is still found through backslashes and letter case.
    UseAudioDriver("dummy");
    const std::vector<unsigned char> mp3 = EncodeTone();
    ASSERT_FALSE(mp3.empty());
    TempFile tone("Tone.mp3");
    tone.Write(mp3);
    ASSERT_NE(library.BASS_Init(-1, 44100, 16, nullptr), 0);

    std::string name = tone.path.parent_path().string() + "\\" + tone.path.filename().string();
    for (char& c : name) {
        if (c == 'T' || c == 'o' || c == 'n' || c == 'e') {
            c = static_cast<char>(c ^ 0x20); // swap the letter case of the file's own name
        }
    }
    SCOPED_TRACE(name);
    EXPECT_NE(library.BASS_StreamCreateFile(0, name.c_str(), 0, 0, 0), 0u);
}

TEST_F(SystemAudioLibraryTest, PlayerWithoutASoundDeviceStaysSilent) {
    UseAudioDriver("no-such-driver");
    const std::vector<unsigned char> mp3 = EncodeTone();
    ASSERT_FALSE(mp3.empty());
    TempFile tone("tone.mp3");
    tone.Write(mp3);

    MusicPlayer player(nullptr);
    EXPECT_FALSE(player.Load(tone.Name().c_str()));
    EXPECT_FALSE(player.Play());
    player.Stop();
}

TEST_F(SystemAudioLibraryTest, PlayerWithAMissingFileStaysSilent) {
    UseAudioDriver("dummy");
    MusicPlayer player(nullptr);
    EXPECT_FALSE(player.Load("data\\demo.mp3"));
    EXPECT_FALSE(player.Play());
    player.Stop();
}

// The disk driver writes what the device would play: 16-bit stereo frames at 44100 Hz, as the
// library opens its output. Returns the left channel.
std::vector<int> LeftChannel(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    std::vector<int> left;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        std::int16_t sample;
        std::copy_n(bytes.data() + i, 2, reinterpret_cast<char*>(&sample));
        left.push_back(sample);
    }
    return left;
}

int Peak(const std::vector<int>& samples, std::size_t begin, std::size_t end) {
    int peak = 0;
    for (std::size_t i = begin; i < end && i < samples.size(); ++i) {
        peak = std::max(peak, std::abs(samples[i]));
    }
    return peak;
}

TEST_F(SystemAudioLibraryTest, PlayerPlaysAnMp3ThroughTheDiskDriver) {
    const std::vector<unsigned char> mp3 = EncodeTone();
    ASSERT_FALSE(mp3.empty());
    TempFile tone("tone.mp3");
    tone.Write(mp3);
    TempFile output("output.raw");
    UseAudioDriver("disk");
    setenv("SDL_DISKAUDIOFILE", output.Name().c_str(), 1);
    // Milliseconds between buffers of 2048 frames (46 ms of sound): output runs ahead of real
    // time.
    setenv("SDL_DISKAUDIODELAY", "10", 1);

    // Enough output for the tone to have looped at least twice.
    constexpr std::uintmax_t kWantedBytes = 2 * kRate * 4;
    {
        MusicPlayer player(nullptr);
        ASSERT_TRUE(player.Load(tone.Name().c_str()));
        ASSERT_TRUE(player.Play());
        // A bounded wait for the driver to write; the checks below are on what it wrote.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
        std::error_code error;
        while (std::chrono::steady_clock::now() < deadline &&
               fs::file_size(output.path, error) < kWantedBytes) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        player.Stop();
    }
    const std::vector<int> left = LeftChannel(output.path);
    ASSERT_GE(left.size(), kWantedBytes / 4);

    // The tone starts after the device's first buffers and the decoder's priming silence.
    constexpr int kLoud = static_cast<int>(kToneAmplitude / 2);
    const std::size_t first = static_cast<std::size_t>(
        std::find_if(left.begin(), left.end(),
                     [](int sample) { return std::abs(sample) >= kLoud; }) -
        left.begin());
    ASSERT_LT(first, left.size()) << "the output is silent";
    EXPECT_LE(Peak(left, first, left.size()), static_cast<int>(kToneAmplitude * 1.1));

    // Within the tone, upward zero crossings count its cycles: 0.3 s holds 132 of 440 Hz.
    const std::size_t windowBegin = first + kRate / 20;
    const std::size_t windowEnd = windowBegin + kRate * 3 / 10;
    ASSERT_LE(windowEnd, left.size());
    EXPECT_GE(Peak(left, windowBegin, windowEnd), kLoud);
    int crossings = 0;
    for (std::size_t i = windowBegin + 1; i < windowEnd; ++i) {
        if (left[i - 1] < 0 && left[i] >= 0) {
            ++crossings;
        }
    }
    const double frequency = crossings / 0.3;
    EXPECT_NEAR(frequency, kToneHz, 10.0);

    // The player loops its stream: the 0.5 s tone sounds again a second after it began.
    EXPECT_GE(Peak(left, first + kRate * 9 / 10, first + kRate * 11 / 10), kLoud);
}

} // namespace
