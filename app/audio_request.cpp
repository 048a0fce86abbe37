#include "app/audio_request.h"

#include <SDL_audio.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace {
constexpr std::array<std::uint16_t, 10> SdlSampleFormats = {
    AUDIO_U8,     AUDIO_S8,     AUDIO_U16LSB, AUDIO_U16MSB, AUDIO_S16LSB,
    AUDIO_S16MSB, AUDIO_S32LSB, AUDIO_S32MSB, AUDIO_F32LSB, AUDIO_F32MSB,
};
#if defined(__EMSCRIPTEN__)
static_assert(DemoAudioAllowedChanges == SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
#endif
}  // namespace

AudioSpec demoAudioRequest() {
    return AudioSpec{.frequency = 48000, .format = AUDIO_F32LSB, .channels = 1, .samples = 8192};
}

bool isSdlSampleFormat(std::uint16_t format) {
    return std::find(SdlSampleFormats.begin(), SdlSampleFormats.end(), format) !=
           SdlSampleFormats.end();
}

Status checkObtainedAudio(const AudioSpec& obtained) {
    if (isSdlSampleFormat(obtained.format) && obtained.frequency >= MinimumSongRate) {
        return okStatus();
    }
    char text[128];
    std::snprintf(text, sizeof text,
                  "The audio device cannot play the song (sample format 0x%04X at %d Hz).",
                  static_cast<unsigned>(obtained.format), obtained.frequency);
    return PlatformError{text};
}
