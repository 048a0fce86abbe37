// The SDL platform layer: reference-counted owning handles over SDL objects.
//
// Every SDL object the program makes is held by one of these handles, and the
// last reference releases it. Handles hold their parents (renderer -> window ->
// video subsystem -> SDL context), so SDL is shut down in dependency order
// whatever order the owner drops its handles in. Every failure is a
// PlatformError value carrying SDL's text, copied at the moment of failure, or
// one of the fixed texts below. The layer never prints and never retries.
//
// <SDL.h> stays out of this header: the rest of the program talks to SDL only
// through these types.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

struct AudioStream;

// ---------------------------------------------------------------------------
// Errors

struct PlatformError {
    std::string text;
};

namespace PlatformErrorText {
inline constexpr std::string_view SdlFromAnotherThread =
    "Cannot initialize `Sdl` from more than one thread.";
inline constexpr std::string_view EventPumpAlive =
    "an `EventPump` instance is already alive - there can only be one `EventPump` in use at a time.";
inline constexpr std::string_view ImageTooLarge = "Image is too large.";
}  // namespace PlatformErrorText

// A value or the PlatformError that prevented it.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(PlatformError error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    const PlatformError& error() const { return std::get<1>(v_); }

private:
    std::variant<T, PlatformError> v_;
};

// The result of an operation that gives nothing back on success.
using Status = Result<std::monostate>;
inline Status okStatus() { return Status(std::monostate{}); }

// The current SDL error text as a PlatformError.
PlatformError sdlError();

// ---------------------------------------------------------------------------
// Context and subsystems

enum class SubsystemKind : std::uint8_t { Audio, Video, Events };
template <SubsystemKind Kind>
class Subsystem;
using AudioSubsystem = Subsystem<SubsystemKind::Audio>;
using VideoSubsystem = Subsystem<SubsystemKind::Video>;
using EventSubsystem = Subsystem<SubsystemKind::Events>;
class EventPump;

// One reference to the SDL context. The first calls SDL_Init(0), the last
// SDL_Quit. Only the thread that created the first context may create more
// while one lives.
class Sdl {
public:
    static Result<Sdl> create();
    Sdl(const Sdl& other);
    Sdl& operator=(const Sdl& other);
    Sdl(Sdl&& other) noexcept;
    Sdl& operator=(Sdl&& other) noexcept;
    ~Sdl();

    Result<AudioSubsystem> audio() const;
    Result<VideoSubsystem> video() const;
    Result<EventSubsystem> events() const;
    Result<EventPump> eventPump() const;

    // Live references to the context, for tests.
    static std::uint32_t referenceCount();

private:
    Sdl() = default;
    void release() noexcept;
    bool live_ = false;
};

// A reference to one SDL subsystem (SDL_INIT_AUDIO, _VIDEO or _EVENTS) plus one
// Sdl reference. The first reference calls SDL_InitSubSystem, the last
// SDL_QuitSubSystem and then drops its Sdl reference.
template <SubsystemKind Kind>
class Subsystem {
public:
    static Result<Subsystem> acquire(const Sdl& sdl);
    Subsystem(const Subsystem& other);
    Subsystem& operator=(const Subsystem& other);
    Subsystem(Subsystem&& other) noexcept;
    Subsystem& operator=(Subsystem&& other) noexcept;
    ~Subsystem();

    const Sdl& sdl() const { return *sdl_; }
    // Live references to this kind of subsystem, for tests.
    static std::uint32_t referenceCount();

private:
    explicit Subsystem(const Sdl& sdl) : sdl_(sdl) {}
    void release() noexcept;
    std::optional<Sdl> sdl_;
};

// The video driver SDL chose when it is one that shows nothing ("offscreen",
// "dummy") and the user did not ask for a driver with SDL_VIDEODRIVER: SDL
// falls back to those on its own when no display can be reached.
std::optional<std::string> invisibleVideoDriver(const VideoSubsystem& video);

extern template class Subsystem<SubsystemKind::Audio>;
extern template class Subsystem<SubsystemKind::Video>;
extern template class Subsystem<SubsystemKind::Events>;

// ---------------------------------------------------------------------------
// Events

// Key symbols and modifier bits with SDL's numbers (SDL_Keycode, SDL_Keymod),
// so that the code above this layer can decide what a key does without
// <SDL.h>. platform.cpp checks them against SDL's own.
namespace KeySym {
inline constexpr std::int32_t Escape = 27;
inline constexpr std::int32_t Return = 13;
// Keys without a character are their scancode with bit 30 set.
inline constexpr std::int32_t F11 = 68 | 1 << 30;
inline constexpr std::int32_t KeypadEnter = 88 | 1 << 30;
}  // namespace KeySym

namespace KeyModifier {
inline constexpr std::uint16_t LeftAlt = 0x0100;
inline constexpr std::uint16_t RightAlt = 0x0200;
inline constexpr std::uint16_t Alt = LeftAlt | RightAlt;
}  // namespace KeyModifier

// What the frame loop needs to know of one SDL event.
struct Event {
    std::uint32_t type = 0;     // SDL_EventType
    std::int32_t keySym = 0;    // keysym.sym of key events, else 0
    std::uint16_t keyModifiers = 0;  // keysym.mod of key events (KeyModifier bits), else 0
    bool keyRepeat = false;     // key events only
    std::uint8_t windowEvent = 0;  // SDL_WindowEventID of window events, else 0

    bool isQuit() const;
    bool isKeyDown() const;  // repeats included
};

// The one event pump of the process. Creating a second one while the first
// lives fails with PlatformErrorText::EventPumpAlive.
class EventPump {
public:
    static Result<EventPump> create(const Sdl& sdl);
    EventPump(EventPump&& other) noexcept;
    EventPump& operator=(EventPump&& other) noexcept;
    EventPump(const EventPump&) = delete;
    EventPump& operator=(const EventPump&) = delete;
    ~EventPump();

    // SDL_PollEvent. The text SDL allocates for drop events is freed here.
    std::optional<Event> poll();

private:
    explicit EventPump(EventSubsystem events) : events_(std::move(events)) {}
    void release() noexcept;
    std::optional<EventSubsystem> events_;
};

// ---------------------------------------------------------------------------
// Rectangles

// A drawing rectangle in logical pixels. x and y are clamped into
// [-2^30, 2^30 - 1]; a width or height of 0 becomes 1, others are capped at
// 2^30 - 1. The only way to make one is Rect::make.
struct Rect {
    std::int32_t x;
    std::int32_t y;
    std::uint32_t w;
    std::uint32_t h;

    static Rect make(std::int32_t x, std::int32_t y, std::uint32_t w, std::uint32_t h);
};

// ---------------------------------------------------------------------------
// Surfaces

// A 32-bit ABGR8888 surface: in memory each pixel is the bytes red, green,
// blue, alpha. Shared record; the last reference calls SDL_FreeSurface.
class Surface {
public:
    // SDL_PixelFormatEnumToMasks + SDL_CreateRGBSurface. The caller has checked
    // that width and height fit a signed 32-bit integer.
    static Result<Surface> createAbgr8888(std::int32_t width, std::int32_t height);

    std::int32_t width() const;
    std::int32_t height() const;
    std::int32_t pitch() const;
    std::uint8_t* pixels() const;  // height() * pitch() bytes

    Status lock() const;   // SDL_LockSurface
    void unlock() const;   // SDL_UnlockSurface

    struct Record;
    const std::shared_ptr<Record>& record() const { return record_; }

private:
    explicit Surface(std::shared_ptr<Record> record) : record_(std::move(record)) {}
    std::shared_ptr<Record> record_;
};

// ---------------------------------------------------------------------------
// Window, canvas, textures

class Window {
public:
    // SDL_CreateWindow.
    static Result<Window> create(const VideoSubsystem& video, const std::string& title, int x,
                                 int y, int width, int height, std::uint32_t flags);

    void setMinimumSize(int width, int height) const;  // SDL_SetWindowMinimumSize
    std::pair<int, int> minimumSize() const;
    std::pair<int, int> size() const;
    std::uint32_t id() const;

    // SDL_SetWindowFullscreen: true covers the display the window is on at
    // the desktop's own resolution (SDL_WINDOW_FULLSCREEN_DESKTOP, no change
    // of video mode); false makes it a window again, at its earlier size and
    // place. On a failure SDL leaves the window as it was.
    Status setFullscreen(bool fullscreen) const;
    bool isFullscreen() const;
    // SDL_ShowCursor: whether the mouse pointer is drawn over the window.
    // SDL has one pointer for all its windows, and this program one window.
    void setPointerShown(bool shown) const;
    bool pointerShown() const;

    struct Record;
    const std::shared_ptr<Record>& record() const { return record_; }

private:
    explicit Window(std::shared_ptr<Record> record) : record_(std::move(record)) {}
    std::shared_ptr<Record> record_;
};

class Texture;
class TextureFactory;

// A renderer and what it draws into: a window, or (for offscreen rendering)
// a surface of its own. Shares its renderer record with its TextureFactory.
class Canvas {
public:
    // SDL_CreateRenderer on the window.
    static Result<Canvas> create(const Window& window, int driverIndex, std::uint32_t flags);
    // An SDL software renderer drawing into a new width x height ABGR8888
    // surface: no window and no video driver needed. For tools and tests.
    static Result<Canvas> createOffscreen(std::int32_t width, std::int32_t height);

    TextureFactory textureFactory() const;

    Status setLogicalSize(int width, int height) const;   // SDL_RenderSetLogicalSize
    std::pair<std::int32_t, std::int32_t> logicalSize() const;  // SDL_RenderGetLogicalSize
    Status setDrawColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) const;
    Status clear() const;                                 // SDL_RenderClear
    void present() const;                                 // SDL_RenderPresent
    // SDL_RenderCopy; no source rectangle means the whole texture.
    Status copy(const Texture& texture, const std::optional<Rect>& source,
                const Rect& destination) const;

    // The renderer's output as ABGR8888 bytes (red, green, blue, alpha per
    // pixel), rows packed, with its output size. SDL_RenderReadPixels.
    struct Pixels {
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::vector<std::uint8_t> bytes;
    };
    Result<Pixels> readPixels() const;

    std::optional<Window> window() const;  // none for an offscreen canvas

    struct RendererRecord;
    const std::shared_ptr<RendererRecord>& renderer() const { return renderer_; }

private:
    explicit Canvas(std::shared_ptr<RendererRecord> renderer) : renderer_(std::move(renderer)) {}
    std::shared_ptr<RendererRecord> renderer_;
};

// Makes textures for the canvas it came from.
class TextureFactory {
public:
    // SDL_CreateTextureFromSurface. A surface with an alpha channel gives a
    // texture that SDL draws with alpha blending.
    Result<Texture> createTextureFromSurface(const Surface& surface) const;

private:
    friend class Canvas;
    explicit TextureFactory(std::shared_ptr<Canvas::RendererRecord> renderer)
        : renderer_(std::move(renderer)) {}
    std::shared_ptr<Canvas::RendererRecord> renderer_;
};

// One SDL texture. It keeps its renderer alive, so destroying it after the
// canvas is gone is still safe. destroy() (or the destructor) calls
// SDL_DestroyTexture once.
class Texture {
public:
    Texture(Texture&& other) noexcept;
    Texture& operator=(Texture&& other) noexcept;
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    ~Texture();

    void destroy() noexcept;
    void* sdlTexture() const { return texture_; }

private:
    friend class TextureFactory;
    Texture(std::shared_ptr<Canvas::RendererRecord> renderer, void* texture)
        : renderer_(std::move(renderer)), texture_(texture) {}
    std::shared_ptr<Canvas::RendererRecord> renderer_;
    void* texture_ = nullptr;
};

// ---------------------------------------------------------------------------
// Audio

// The device format the program asks for and what SDL obtained.
struct AudioSpec {
    int frequency = 0;
    std::uint16_t format = 0;  // SDL_AudioFormat
    std::uint8_t channels = 0;
    std::uint16_t samples = 0;  // frames per callback buffer
};

using AudioCallbackFn = void (*)(void* userdata, std::uint8_t* stream, int length);

// An open playback device and the AudioStream record that is its callback's
// user data. The last reference closes the device (SDL_CloseAudioDevice) and
// only then frees the AudioStream, then drops its AudioSubsystem reference.
class AudioDevice {
public:
    // SDL_OpenAudioDevice on the default playback device with the given
    // desired format and allowed changes. A new device is paused.
    static Result<AudioDevice> openPlayback(const AudioSubsystem& audio, const AudioSpec& desired,
                                            AudioCallbackFn callback, int allowedChanges);

    const AudioSpec& obtained() const;
    // The record shared with the audio thread. Touch it only while the device
    // is paused (before resume()).
    AudioStream& stream() const;
    void resume() const;  // SDL_PauseAudioDevice(id, 0)
    std::uint32_t id() const;

    struct Record;

private:
    explicit AudioDevice(std::shared_ptr<Record> record) : record_(std::move(record)) {}
    std::shared_ptr<Record> record_;
};
