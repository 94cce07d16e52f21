// MusicPlayer's calls into the audio library, recorded by a stand-in library that answers as told.
#include "audio/MusicPlayer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// Records each call with its arguments as one line of text and answers with the configured
// results.
class RecordingLibrary final : public AudioLibrary {
public:
    std::uint32_t version = kAudioLibraryVersion;
    int initResult = 1;
    StreamHandle streamResult = 0x80000001u;
    Calls calls;

    std::uint32_t BASS_GetVersion() override {
        calls.push_back("BASS_GetVersion()");
        return version;
    }
    int BASS_Init(int device, std::uint32_t frequency, std::uint32_t flags, void* window) override {
        calls.push_back("BASS_Init(" + std::to_string(device) + ", " + std::to_string(frequency) +
                        ", " + std::to_string(flags) + ", " + Address(window) + ")");
        return initResult;
    }
    StreamHandle BASS_StreamCreateFile(int mem, const char* path, std::uint64_t offset,
                                       std::uint64_t length, std::uint32_t flags) override {
        calls.push_back("BASS_StreamCreateFile(" + std::to_string(mem) + ", \"" +
                        (path != nullptr ? path : "(null)") + "\", " + std::to_string(offset) +
                        ", " + std::to_string(length) + ", " + std::to_string(flags) + ")");
        return streamResult;
    }
    std::uint32_t BASS_ChannelSetSync(StreamHandle stream, std::uint32_t type, std::uint64_t param,
                                      SyncCallback callback, void* user) override {
        calls.push_back("BASS_ChannelSetSync(" + std::to_string(stream) + ", " +
                        std::to_string(type) + ", " + std::to_string(param) + ", " +
                        Address(reinterpret_cast<void*>(callback)) + ", " + Address(user) + ")");
        return 7;
    }
    int BASS_Start() override {
        calls.push_back("BASS_Start()");
        return 1;
    }
    int BASS_StreamPlay(StreamHandle stream, int flush, std::uint32_t flags) override {
        calls.push_back("BASS_StreamPlay(" + std::to_string(stream) + ", " + std::to_string(flush) +
                        ", " + std::to_string(flags) + ")");
        return 1;
    }
    int BASS_Free() override {
        calls.push_back("BASS_Free()");
        return 1;
    }

private:
    static std::string Address(void* pointer) {
        return std::to_string(reinterpret_cast<std::uintptr_t>(pointer));
    }
};

// An address that stands for the demo's window; the player only passes it on.
void* const kWindow = reinterpret_cast<void*>(std::uintptr_t{0x5eed0});
const std::string kWindowText = std::to_string(std::uintptr_t{0x5eed0});
const std::string kInitCall = "BASS_Init(-1, 44100, 16, " + kWindowText + ")";
const std::string kCreateCall = "BASS_StreamCreateFile(0, \"data\\demo.mp3\", 0, 0, 0)";

TEST(MusicPlayerTest, DemoOrderMakesExactlyTheExpectedCalls) {
    RecordingLibrary library;
    bool loaded = false;
    bool played = false;
    {
        MusicPlayer player(kWindow, library);
        loaded = player.Load("data\\demo.mp3");
        played = player.Play();
        player.Stop();
    }
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(played);
    // 0x80000001: the full 32-bit handle reaches the later calls unchanged.
    const Calls expected = {
        "BASS_GetVersion()", kInitCall,
        kCreateCall,         "BASS_ChannelSetSync(2147483649, 2, 0, 0, 0)",
        "BASS_Start()",      "BASS_StreamPlay(2147483649, 0, 4)",
        "BASS_Free()",       "BASS_Free()",
    };
    EXPECT_EQ(library.calls, expected);
}

TEST(MusicPlayerTest, FailuresLeaveThePlayerSilent) {
    struct Case {
        const char* name;
        std::uint32_t version;
        int initResult;
        StreamHandle streamResult;
        Calls expected;
    } cases[] = {
        {"older minor version", 0x00020000u, 1, 5, {"BASS_GetVersion()"}},
        {"newer minor version", 0x00020002u, 1, 5, {"BASS_GetVersion()"}},
        {"older major version", 0x00010001u, 1, 5, {"BASS_GetVersion()"}},
        {"no version", 0, 1, 5, {"BASS_GetVersion()"}},
        {"halves swapped", 0x00010002u, 1, 5, {"BASS_GetVersion()"}},
        {"init fails", kAudioLibraryVersion, 0, 5, {"BASS_GetVersion()", kInitCall}},
        {"stream fails", kAudioLibraryVersion, 1, 0, {"BASS_GetVersion()", kInitCall, kCreateCall}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingLibrary library;
        library.version = c.version;
        library.initResult = c.initResult;
        library.streamResult = c.streamResult;
        bool loaded = true;
        bool played = true;
        {
            MusicPlayer player(kWindow, library);
            loaded = player.Load("data\\demo.mp3");
            played = player.Play();
            player.Stop();
        }
        EXPECT_FALSE(loaded);
        EXPECT_FALSE(played);
        // Stop and the destructor free the library even when it never started.
        Calls expected = c.expected;
        expected.push_back("BASS_Free()");
        expected.push_back("BASS_Free()");
        EXPECT_EQ(library.calls, expected);
    }
}

TEST(MusicPlayerTest, PlayBeforeLoadReturnsFalseAndCallsNothing) {
    RecordingLibrary library;
    MusicPlayer player(kWindow, library);
    library.calls.clear();
    EXPECT_FALSE(player.Play());
    EXPECT_TRUE(library.calls.empty());
}

TEST(MusicPlayerTest, StopForgetsTheStreamAndDestructionFreesAgain) {
    RecordingLibrary library;
    {
        MusicPlayer player(kWindow, library);
        ASSERT_TRUE(player.Load("data\\demo.mp3"));
        player.Stop();
        library.calls.clear();
        EXPECT_FALSE(player.Play());
        EXPECT_TRUE(library.calls.empty());
    }
    EXPECT_EQ(library.calls, Calls{"BASS_Free()"});
}

TEST(MusicPlayerTest, LoadPassesThePathAsGiven) {
    const char* paths[] = {"data\\demo.mp3", "DATA/Demo.MP3", "", "music with spaces.mp3"};
    for (const char* path : paths) {
        RecordingLibrary library;
        MusicPlayer player(kWindow, library);
        ASSERT_TRUE(player.Load(path));
        ASSERT_GE(library.calls.size(), 3u);
        EXPECT_EQ(library.calls[2],
                  "BASS_StreamCreateFile(0, \"" + std::string(path) + "\", 0, 0, 0)");
    }
}

} // namespace
