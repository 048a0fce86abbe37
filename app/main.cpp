// tiral25-invite: the entry point, start-up, the frame loop and shutdown.
//
// Start-up brings SDL up piece by piece: audio first, so that the song is
// rendered and already playing before any window exists (a machine without
// usable audio never sees a window), then video, the window and its
// renderer, a first frame, the event pump and the demo clock. The loop draws
// a frame for the clock's t, drains the events, presents and sleeps briefly,
// until t passes the end of the song, the window is closed or Escape is
// pressed.
//
// Every handle is a local of runDemo, declared in the order of creation, so
// leaving runDemo (normally or on a failure) releases them in reverse:
// event pump, texture factory, canvas (renderer), window, video, audio
// device (closed before its AudioStream and song are freed), audio, SDL.
// The handles hold their parents, so that order holds in any case.
//
// Every failure is fatal. runDemo hands the first one back and main reports
// it in one line: "tiral25-invite: <text>", exit status 1.

#include <SDL_video.h>

#include <string>
#include <utility>

#include "app/audio_request.h"
#include "app/demo_clock.h"
#include "app/demo_loop.h"
#include "platform/os.h"
#include "platform/platform.h"
#include "app/time_line.h"
#include "music/audio_stream.h"
#include "music/song.h"
#include "scenes/scene_renderer.h"

namespace {

constexpr std::string_view ProgramName = "tiral25-invite";

// Every wave frame allocates two canvas-sized blocks (its surface, and the
// texture SDL copies it into: 1 MB each at 640 x 400) and frees both again.
// Left to glibc's defaults such blocks go back to the kernel at once, so each
// frame faults about 500 fresh pages in: 6 to 8 ms of CPU per frame against
// well under 1 ms when the pages are reused.
constexpr std::size_t LargestReusedBlock = 16 << 20;  // bytes
constexpr std::size_t HeapTrimSlack = 32 << 20;       // bytes

constexpr std::string_view NoDisplayText = "no display found";

// The window: this title, centred, 640 by 400, resizable, and never smaller.
constexpr int CanvasWidth = 640;   // logical pixels
constexpr int CanvasHeight = 400;  // logical pixels
const std::string WindowTitle{ProgramName};

// The renderer: the first driver that works (-1), and no flags: no vsync
// wait and no demand for acceleration.
constexpr int AnyRendererDriver = -1;
constexpr std::uint32_t NoRendererFlags = 0;

// Takes the value out of a Result, or leaves the calling function with its
// error. Used only inside runDemo.
#define TAKE_OR_RETURN(name, expression)                    \
    auto name##Result = (expression);                       \
    if (!name##Result) return std::move(name##Result).error(); \
    auto name = std::move(name##Result).value()

#define CHECK_OR_RETURN(expression)                \
    if (Status status = (expression); !status) return status

// The whole demo. Returns the first failure; every handle made so far is
// released on the way out.
Status runDemo() {
    // Without a display SDL would quietly draw offscreen; say so instead,
    // before any sound is heard.
    if (!displayAvailable()) return PlatformError{std::string(NoDisplayText)};

    // Audio: the song is rendered at the rate the device obtained and handed
    // to the device's AudioStream while the device is still paused.
    TAKE_OR_RETURN(sdl, Sdl::create());
    TAKE_OR_RETURN(audio, sdl.audio());
    TAKE_OR_RETURN(device, AudioDevice::openPlayback(audio, demoAudioRequest(), audioCallback,
                                                     DemoAudioAllowedChanges));
    CHECK_OR_RETURN(checkObtainedAudio(device.obtained()));
    installSong(device.stream(), renderSong(device.obtained().frequency));
    device.resume();  // the music plays from here on

    // Video: the window, its renderer and the 640 x 400 logical canvas that
    // SDL scales and letterboxes to the window's real size.
    TAKE_OR_RETURN(video, sdl.video());
    TAKE_OR_RETURN(window, Window::create(video, WindowTitle, SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, CanvasWidth, CanvasHeight,
                                          SDL_WINDOW_RESIZABLE));
    window.setMinimumSize(CanvasWidth, CanvasHeight);
    TAKE_OR_RETURN(canvas, Canvas::create(window, AnyRendererDriver, NoRendererFlags));
    // On X11, SDL 2.26's OpenGL renderer re-creates the window when it is
    // made, and the new window has lost the minimum size: set it again.
    window.setMinimumSize(CanvasWidth, CanvasHeight);
    const TextureFactory factory = canvas.textureFactory();
    CHECK_OR_RETURN(canvas.setLogicalSize(CanvasWidth, CanvasHeight));

    SceneRenderer scenes;
    CHECK_OR_RETURN(scenes.renderFrame(canvas, factory, FirstFrameTime));
    canvas.present();

    TAKE_OR_RETURN(pump, sdl.eventPump());
    const DemoClock clock{wallClockTicks()};

    for (;;) {
        const double t = clock.secondsAt(wallClockTicks());
        if (t > DemoEndTime) break;
        CHECK_OR_RETURN(scenes.renderFrame(canvas, factory, t));
        // An ending event leaves at once: this frame is not presented.
        if (drainEventsEndsDemo(pump)) break;
        canvas.present();
        frameSleep();
    }
    return okStatus();
}

#undef TAKE_OR_RETURN
#undef CHECK_OR_RETURN

// The one place that reports a fatal failure: one line on standard error.
// Returns the exit status.
int die(const PlatformError& error) {
    std::string line{ProgramName};
    line += ": ";
    line += error.text.empty() ? "unknown error" : error.text;
    line += '\n';
    writeStandardError(line);
    return 1;
}

}  // namespace

// The demo takes no arguments; any given are ignored.
int main() {
    prepareStandardStreams();
    keepLargeBlocksOnTheHeap(LargestReusedBlock, HeapTrimSlack);
    if (Status status = runDemo(); !status) return die(status.error());
    return 0;
}
