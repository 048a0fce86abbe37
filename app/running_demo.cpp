#include "app/running_demo.h"

#include <SDL_video.h>

#include <utility>

#include "app/audio_request.h"
#include "app/demo_loop.h"
#include "music/audio_stream.h"
#include "music/song.h"
#include "platform/os.h"

namespace {

constexpr std::string_view NoDisplayText = "no display found";

// The window: this title, centred, 640 by 400, resizable, and never smaller.
constexpr int CanvasWidth = 640;   // logical pixels
constexpr int CanvasHeight = 400;  // logical pixels
const std::string WindowTitle{ProgramName};

// The renderer: the first driver that works (-1), and no flags: no vsync
// wait and no demand for acceleration.
constexpr int AnyRendererDriver = -1;
constexpr std::uint32_t NoRendererFlags = 0;

}  // namespace

// Takes the value out of a Result, or leaves the calling function with its
// error. Used only inside this file.
#define TAKE_OR_RETURN(name, expression)                       \
    auto name##Result = (expression);                          \
    if (!name##Result) return std::move(name##Result).error(); \
    auto name = std::move(name##Result).value()

#define CHECK_OR_RETURN(expression) \
    if (Status status = (expression); !status) return status.error()

Result<std::unique_ptr<RunningDemo>> RunningDemo::start(FullscreenKeys fullscreenKeys) {
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
    // A display that cannot be reached makes SDL fall back to a driver that
    // shows nothing: stop here too, while the device is still paused.
    TAKE_OR_RETURN(video, sdl.video());
    if (invisibleVideoDriver(video)) {
        const std::string display = namedDisplay();
        return PlatformError{std::string(NoDisplayText) + (display.empty() ? "" : " at " + display)};
    }
    SongBuffer song = renderSong(device.obtained().frequency);
    const std::size_t songSamples = song.size();
    installSong(device.stream(), std::move(song));
    device.resume();  // the music plays from here on

    // Video: the window, its renderer and the 640 x 400 logical canvas that
    // SDL scales and letterboxes to the window's real size.
    TAKE_OR_RETURN(window, Window::create(video, WindowTitle, SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, CanvasWidth, CanvasHeight,
                                          SDL_WINDOW_RESIZABLE));
    window.setMinimumSize(CanvasWidth, CanvasHeight);
    TAKE_OR_RETURN(canvas, Canvas::create(window, AnyRendererDriver, NoRendererFlags));
    // On X11, SDL 2.26's OpenGL renderer re-creates the window when it is
    // made, and the new window has lost the minimum size: set it again.
    window.setMinimumSize(CanvasWidth, CanvasHeight);
    TextureFactory factory = canvas.textureFactory();
    CHECK_OR_RETURN(canvas.setLogicalSize(CanvasWidth, CanvasHeight));

    SceneRenderer scenes;
    CHECK_OR_RETURN(scenes.renderFrame(canvas, factory, FirstFrameTime));
    canvas.present();

    TAKE_OR_RETURN(pump, sdl.eventPump());
    const DemoClock clock{wallClockTicks()};

    return std::unique_ptr<RunningDemo>(new RunningDemo(
        std::move(sdl), std::move(audio), std::move(device), std::move(video), std::move(window),
        std::move(canvas), std::move(factory), std::move(scenes), std::move(pump), clock,
        songSamples, fullscreenKeys));
}

Result<FrameStep> RunningDemo::step() {
    const double t = clock_.secondsAt(wallClockTicks());
    if (t > DemoEndTime) return FrameStep::DemoOver;
    CHECK_OR_RETURN(scenes_.renderFrame(canvas_, factory_, t));
    const QueuedRequests requests = drainEvents(pump_);
    // An ending event leaves at once: this frame is not presented.
    if (requests.endDemo) return FrameStep::DemoOver;
    canvas_.present();
    if (requests.toggleFullscreen && fullscreenKeys_ == FullscreenKeys::Toggle) {
        toggleFullscreen();
    }
    return FrameStep::Presented;
}

#undef TAKE_OR_RETURN
#undef CHECK_OR_RETURN

// The renderer's logical size keeps the 640 x 400 canvas whole and
// letterboxed on any screen. A window that cannot go fullscreen stays the
// window it was, and the demo goes on in it: it is no reason to stop the
// party's invitation. Either way the pointer follows what the window is:
// hidden over the fullscreen picture, shown over a window.
void RunningDemo::toggleFullscreen() {
    static_cast<void>(window_.setFullscreen(!window_.isFullscreen()));
    window_.setPointerShown(!window_.isFullscreen());
}

int RunningDemo::songRate() const { return device_.obtained().frequency; }

RunningDemo::RunningDemo(Sdl sdl, AudioSubsystem audio, AudioDevice device, VideoSubsystem video,
                         Window window, Canvas canvas, TextureFactory factory,
                         SceneRenderer scenes, EventPump pump, DemoClock clock,
                         std::size_t songSamples, FullscreenKeys fullscreenKeys)
    : sdl_(std::move(sdl)),
      audio_(std::move(audio)),
      device_(std::move(device)),
      video_(std::move(video)),
      window_(std::move(window)),
      canvas_(std::move(canvas)),
      factory_(std::move(factory)),
      scenes_(std::move(scenes)),
      pump_(std::move(pump)),
      clock_(clock),
      songSamples_(songSamples),
      fullscreenKeys_(fullscreenKeys) {}

std::string failureLine(const PlatformError& error) {
    std::string line{ProgramName};
    line += ": ";
    line += error.text.empty() ? "unknown error" : error.text;
    line += '\n';
    return line;
}
