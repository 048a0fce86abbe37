// The demo from start-up to shutdown, as the two drivers of its frame loop
// use it: the native loop (main.cpp) and the browser's animation frames
// (main_web.cpp).
//
// start() brings SDL up piece by piece: audio first, so that the song is
// rendered and already playing before any window exists (a machine without
// usable audio never sees a window), then video, the window and its
// renderer, a first frame, the event pump and the demo clock. step() is one
// iteration of the frame loop: t from the clock, the end once t passes the
// end of the song, the frame drawn, the events drained (an ending event
// leaves without presenting), the frame presented, and then, if F11 or
// Alt+Enter was pressed, the window switched between fullscreen and a window.
// The pause between two steps is the driver's: a short sleep natively, the
// next animation frame in a browser.
//
// The handles are members declared in the order of creation, so destroying a
// RunningDemo releases them in reverse: event pump, scene renderer, texture
// factory, canvas (renderer), window, video, audio device (closed before its
// AudioStream and song are freed), audio, SDL. The handles hold their
// parents, so that order holds in any case.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "app/demo_clock.h"
#include "platform/platform.h"
#include "scenes/scene_renderer.h"

inline constexpr std::string_view ProgramName = "tiral25-invite";

enum class FrameStep {
    Presented,  // a frame was drawn and presented; the loop goes on
    DemoOver,   // t passed the end, or the window was closed, or Escape
};

// Whether F11 and Alt+Enter switch the window between fullscreen and a
// window. A web page keeps them off: it has its own fullscreen button, and
// F11 belongs to the browser.
enum class FullscreenKeys { Toggle, Ignore };

class RunningDemo {
public:
    // The whole start-up, up to the first frame presented and the clock
    // started. The first failure is returned; every handle made so far is
    // released on the way out.
    static Result<std::unique_ptr<RunningDemo>> start(FullscreenKeys fullscreenKeys);

    // One iteration of the frame loop (without the pause). A failure is fatal.
    Result<FrameStep> step();

    // The song as it was rendered: at the rate the audio device obtained,
    // this many mono samples.
    int songRate() const;
    std::size_t songSamples() const { return songSamples_; }

private:
    RunningDemo(Sdl sdl, AudioSubsystem audio, AudioDevice device, VideoSubsystem video,
                Window window, Canvas canvas, TextureFactory factory, SceneRenderer scenes,
                EventPump pump, DemoClock clock, std::size_t songSamples,
                FullscreenKeys fullscreenKeys);

    void toggleFullscreen();

    Sdl sdl_;
    AudioSubsystem audio_;
    AudioDevice device_;
    VideoSubsystem video_;
    Window window_;
    Canvas canvas_;
    TextureFactory factory_;
    SceneRenderer scenes_;
    EventPump pump_;
    DemoClock clock_;
    std::size_t songSamples_;
    FullscreenKeys fullscreenKeys_;
};

// The one line that reports a fatal failure: "tiral25-invite: <text>" and a
// newline.
std::string failureLine(const PlatformError& error);
