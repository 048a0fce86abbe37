#include "platform/platform.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>

#include "music/audio_stream.h"

// >>process-wide state ------------------------------------------------------
// The only process-wide state of the program besides the per-thread random
// generator: reference counts of the SDL context and of each subsystem.
namespace {
std::atomic<std::uint32_t> contextCount{0};
// The thread that declared the context (threadToken()), 0 while none is
// declared. One value instead of a "declared" flag plus a per-thread flag: a
// per-thread flag would outlive the context it was set for and let its thread
// pass the check against the next context, made by another thread.
std::atomic<std::uintptr_t> contextOwner{0};
std::atomic<std::uint32_t> subsystemCounts[3]{};
std::atomic<bool> eventPumpAlive{false};

// A value unique to the calling thread among the live threads, never 0.
std::uintptr_t threadToken() {
    thread_local const char marker = 0;
    return reinterpret_cast<std::uintptr_t>(&marker);
}

constexpr std::uint32_t subsystemFlag(SubsystemKind kind) {
    switch (kind) {
        case SubsystemKind::Audio: return SDL_INIT_AUDIO;
        case SubsystemKind::Video: return SDL_INIT_VIDEO;
        case SubsystemKind::Events: return SDL_INIT_EVENTS;
    }
    return 0;
}

constexpr std::int32_t RectLimit = (1 << 30) - 1;  // 2^30 - 1

SDL_Rect toSdlRect(const Rect& r) {
    return SDL_Rect{r.x, r.y, static_cast<int>(r.w), static_cast<int>(r.h)};
}
}  // namespace

PlatformError sdlError() { return PlatformError{SDL_GetError()}; }

// >>context -------------------------------------------------------------------

Result<Sdl> Sdl::create() {
    std::uintptr_t owner = 0;
    if (!contextOwner.compare_exchange_strong(owner, threadToken()) && owner != threadToken()) {
        return PlatformError{std::string(PlatformErrorText::SdlFromAnotherThread)};
    }
#ifdef _WIN32
    // On a display scaled to 150 % or 200 %, the window is made in scaled
    // points (640 x 400 of them: 960 x 600 or 1280 x 800 pixels) and the
    // renderer draws in real pixels, so the logical size enlarges the canvas
    // with hard pixel edges. This also makes SDL declare the process
    // per-monitor DPI aware (v2), as the exe's manifest does from the start;
    // Windows would otherwise stretch a 640 x 400 bitmap and blur it. At
    // 100 % nothing changes.
    SDL_SetHint(SDL_HINT_WINDOWS_DPI_SCALING, "1");
#endif
    if (contextCount.fetch_add(1) == 0 && SDL_Init(0) != 0) {
        PlatformError error = sdlError();
        // No context came to life: leave none declared, so a later attempt
        // (from any thread) calls SDL_Init again.
        contextCount.store(0);
        contextOwner.store(0);
        return error;
    }
    Sdl sdl;
    sdl.live_ = true;
    return sdl;
}

Sdl::Sdl(const Sdl& other) : live_(other.live_) {
    if (live_) contextCount.fetch_add(1);
}

Sdl& Sdl::operator=(const Sdl& other) {
    if (this != &other) {
        if (other.live_) contextCount.fetch_add(1);
        release();
        live_ = other.live_;
    }
    return *this;
}

Sdl::Sdl(Sdl&& other) noexcept : live_(std::exchange(other.live_, false)) {}

Sdl& Sdl::operator=(Sdl&& other) noexcept {
    if (this != &other) {
        release();
        live_ = std::exchange(other.live_, false);
    }
    return *this;
}

Sdl::~Sdl() { release(); }

void Sdl::release() noexcept {
    if (!std::exchange(live_, false)) return;
    if (contextCount.fetch_sub(1) == 1) {
        SDL_Quit();
        contextOwner.store(0);
    }
}

std::uint32_t Sdl::referenceCount() { return contextCount.load(); }

Result<AudioSubsystem> Sdl::audio() const { return AudioSubsystem::acquire(*this); }
Result<VideoSubsystem> Sdl::video() const { return VideoSubsystem::acquire(*this); }
Result<EventSubsystem> Sdl::events() const { return EventSubsystem::acquire(*this); }
Result<EventPump> Sdl::eventPump() const { return EventPump::create(*this); }

// >>subsystems ----------------------------------------------------------------

std::optional<std::string> invisibleVideoDriver(const VideoSubsystem&) {
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked != nullptr && *asked != '\0') return std::nullopt;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return std::nullopt;
    const std::string name(driver);
    if (name == "offscreen" || name == "dummy") return name;
    return std::nullopt;
}

template <SubsystemKind Kind>
Result<Subsystem<Kind>> Subsystem<Kind>::acquire(const Sdl& sdl) {
    auto& count = subsystemCounts[static_cast<int>(Kind)];
    if (count.fetch_add(1) == 0 && SDL_InitSubSystem(subsystemFlag(Kind)) != 0) {
        PlatformError error = sdlError();
        count.store(0);
        return error;
    }
    return Subsystem(sdl);
}

template <SubsystemKind Kind>
Subsystem<Kind>::Subsystem(const Subsystem& other) : sdl_(other.sdl_) {
    if (sdl_) subsystemCounts[static_cast<int>(Kind)].fetch_add(1);
}

template <SubsystemKind Kind>
Subsystem<Kind>& Subsystem<Kind>::operator=(const Subsystem& other) {
    if (this != &other) {
        Subsystem copy(other);
        *this = std::move(copy);
    }
    return *this;
}

template <SubsystemKind Kind>
Subsystem<Kind>::Subsystem(Subsystem&& other) noexcept : sdl_(std::move(other.sdl_)) {
    other.sdl_.reset();
}

template <SubsystemKind Kind>
Subsystem<Kind>& Subsystem<Kind>::operator=(Subsystem&& other) noexcept {
    if (this != &other) {
        release();
        sdl_ = std::move(other.sdl_);
        other.sdl_.reset();
    }
    return *this;
}

template <SubsystemKind Kind>
Subsystem<Kind>::~Subsystem() {
    release();
}

template <SubsystemKind Kind>
void Subsystem<Kind>::release() noexcept {
    if (!sdl_) return;
    if (subsystemCounts[static_cast<int>(Kind)].fetch_sub(1) == 1) {
        SDL_QuitSubSystem(subsystemFlag(Kind));
    }
    sdl_.reset();  // the context reference goes after the subsystem
}

template <SubsystemKind Kind>
std::uint32_t Subsystem<Kind>::referenceCount() {
    return subsystemCounts[static_cast<int>(Kind)].load();
}

template class Subsystem<SubsystemKind::Audio>;
template class Subsystem<SubsystemKind::Video>;
template class Subsystem<SubsystemKind::Events>;

// >>events --------------------------------------------------------------------

bool Event::isQuit() const { return type == SDL_QUIT; }

bool Event::isKeyDown() const { return type == SDL_KEYDOWN; }

static_assert(KeySym::Escape == SDLK_ESCAPE);
static_assert(KeySym::Return == SDLK_RETURN);
static_assert(KeySym::F11 == SDLK_F11);
static_assert(KeySym::KeypadEnter == SDLK_KP_ENTER);
static_assert(KeyModifier::LeftAlt == KMOD_LALT);
static_assert(KeyModifier::RightAlt == KMOD_RALT);

Result<EventPump> EventPump::create(const Sdl& sdl) {
    if (eventPumpAlive.exchange(true)) {
        return PlatformError{std::string(PlatformErrorText::EventPumpAlive)};
    }
    auto events = EventSubsystem::acquire(sdl);
    if (!events) {
        eventPumpAlive.store(false);
        return events.error();
    }
    return EventPump(std::move(events).value());
}

EventPump::EventPump(EventPump&& other) noexcept : events_(std::move(other.events_)) {
    other.events_.reset();
}

EventPump& EventPump::operator=(EventPump&& other) noexcept {
    if (this != &other) {
        release();
        events_ = std::move(other.events_);
        other.events_.reset();
    }
    return *this;
}

EventPump::~EventPump() { release(); }

void EventPump::release() noexcept {
    if (!events_) return;
    eventPumpAlive.store(false);
    events_.reset();
}

std::optional<Event> EventPump::poll() {
    SDL_Event e;
    if (SDL_PollEvent(&e) != 1) return std::nullopt;
    Event event;
    event.type = e.type;
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            event.keySym = e.key.keysym.sym;
            event.keyModifiers = e.key.keysym.mod;
            event.keyRepeat = e.key.repeat != 0;
            break;
        case SDL_WINDOWEVENT:
            event.windowEvent = e.window.event;
            break;
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
            // SDL hands the text over to us; nobody reads it, so free it here.
            SDL_free(e.drop.file);
            break;
        default:
            break;
    }
    return event;
}

// >>rectangles ----------------------------------------------------------------

Rect Rect::make(std::int32_t x, std::int32_t y, std::uint32_t w, std::uint32_t h) {
    const auto size = [](std::uint32_t v) {
        return v == 0 ? 1u : std::min(v, static_cast<std::uint32_t>(RectLimit));
    };
    return Rect{std::clamp(x, -RectLimit - 1, RectLimit), std::clamp(y, -RectLimit - 1, RectLimit),
                size(w), size(h)};
}

// >>surfaces ------------------------------------------------------------------

struct Surface::Record {
    SDL_Surface* surface = nullptr;
    ~Record() { SDL_FreeSurface(surface); }
};

Result<Surface> Surface::createAbgr8888(std::int32_t width, std::int32_t height) {
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    if (!SDL_PixelFormatEnumToMasks(SDL_PIXELFORMAT_ABGR8888, &bpp, &r, &g, &b, &a)) {
        return sdlError();
    }
    SDL_Surface* surface = SDL_CreateRGBSurface(0, width, height, bpp, r, g, b, a);
    if (surface == nullptr) return sdlError();
    auto record = std::make_shared<Record>();
    record->surface = surface;
    return Surface(std::move(record));
}

std::int32_t Surface::width() const { return record_->surface->w; }
std::int32_t Surface::height() const { return record_->surface->h; }
std::int32_t Surface::pitch() const { return record_->surface->pitch; }
std::uint8_t* Surface::pixels() const {
    return static_cast<std::uint8_t*>(record_->surface->pixels);
}

Status Surface::lock() const {
    if (SDL_LockSurface(record_->surface) != 0) return sdlError();
    return okStatus();
}

void Surface::unlock() const { SDL_UnlockSurface(record_->surface); }

// >>window --------------------------------------------------------------------

struct Window::Record {
    SDL_Window* window = nullptr;
    std::optional<VideoSubsystem> video;  // released after the window is destroyed
    ~Record() {
        if (window != nullptr) SDL_DestroyWindow(window);
    }
};

Result<Window> Window::create(const VideoSubsystem& video, const std::string& title, int x, int y,
                              int width, int height, std::uint32_t flags) {
    auto record = std::make_shared<Record>();
    record->video = video;
    record->window = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
    if (record->window == nullptr) return sdlError();
    return Window(std::move(record));
}

void Window::setMinimumSize(int width, int height) const {
    SDL_SetWindowMinimumSize(record_->window, width, height);
}

std::pair<int, int> Window::minimumSize() const {
    int w = 0, h = 0;
    SDL_GetWindowMinimumSize(record_->window, &w, &h);
    return {w, h};
}

std::pair<int, int> Window::size() const {
    int w = 0, h = 0;
    SDL_GetWindowSize(record_->window, &w, &h);
    return {w, h};
}

std::uint32_t Window::id() const { return SDL_GetWindowID(record_->window); }

Status Window::setFullscreen(bool fullscreen) const {
    const Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    if (SDL_SetWindowFullscreen(record_->window, flags) != 0) return sdlError();
    return okStatus();
}

bool Window::isFullscreen() const {
    return (SDL_GetWindowFlags(record_->window) & SDL_WINDOW_FULLSCREEN) != 0;
}

void Window::setPointerShown(bool shown) const { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

bool Window::pointerShown() const { return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE; }

// >>canvas --------------------------------------------------------------------

struct Canvas::RendererRecord {
    SDL_Renderer* renderer = nullptr;
    // What the renderer draws into; released after the renderer is destroyed.
    std::optional<Window> window;
    std::optional<Surface> target;
    ~RendererRecord() {
        if (renderer != nullptr) SDL_DestroyRenderer(renderer);
    }
};

Result<Canvas> Canvas::create(const Window& window, int driverIndex, std::uint32_t flags) {
    auto record = std::make_shared<RendererRecord>();
    record->window = window;
    record->renderer = SDL_CreateRenderer(window.record()->window, driverIndex, flags);
    if (record->renderer == nullptr) return sdlError();
    return Canvas(std::move(record));
}

Result<Canvas> Canvas::createOffscreen(std::int32_t width, std::int32_t height) {
    auto surface = Surface::createAbgr8888(width, height);
    if (!surface) return surface.error();
    auto record = std::make_shared<RendererRecord>();
    record->target = surface.value();
    record->renderer = SDL_CreateSoftwareRenderer(surface.value().record()->surface);
    if (record->renderer == nullptr) return sdlError();
    return Canvas(std::move(record));
}

TextureFactory Canvas::textureFactory() const { return TextureFactory(renderer_); }

Status Canvas::setLogicalSize(int width, int height) const {
    if (SDL_RenderSetLogicalSize(renderer_->renderer, width, height) != 0) return sdlError();
    return okStatus();
}

std::pair<std::int32_t, std::int32_t> Canvas::logicalSize() const {
    int w = 0, h = 0;
    SDL_RenderGetLogicalSize(renderer_->renderer, &w, &h);
    return {w, h};
}

Status Canvas::setDrawColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) const {
    if (SDL_SetRenderDrawColor(renderer_->renderer, r, g, b, a) != 0) return sdlError();
    return okStatus();
}

Status Canvas::clear() const {
    if (SDL_RenderClear(renderer_->renderer) != 0) return sdlError();
    return okStatus();
}

void Canvas::present() const { SDL_RenderPresent(renderer_->renderer); }

Status Canvas::copy(const Texture& texture, const std::optional<Rect>& source,
                    const Rect& destination) const {
    SDL_Rect src{};
    if (source) src = toSdlRect(*source);
    const SDL_Rect dst = toSdlRect(destination);
    if (SDL_RenderCopy(renderer_->renderer, static_cast<SDL_Texture*>(texture.sdlTexture()),
                       source ? &src : nullptr, &dst) != 0) {
        return sdlError();
    }
    return okStatus();
}

Result<Canvas::Pixels> Canvas::readPixels() const {
    Pixels pixels;
    if (SDL_GetRendererOutputSize(renderer_->renderer, &pixels.width, &pixels.height) != 0) {
        return sdlError();
    }
    pixels.bytes.resize(static_cast<std::size_t>(pixels.width) *
                        static_cast<std::size_t>(pixels.height) * 4);
    if (SDL_RenderReadPixels(renderer_->renderer, nullptr, SDL_PIXELFORMAT_ABGR8888,
                             pixels.bytes.data(), pixels.width * 4) != 0) {
        return sdlError();
    }
    return pixels;
}

std::optional<Window> Canvas::window() const { return renderer_->window; }

// >>textures ------------------------------------------------------------------

Result<Texture> TextureFactory::createTextureFromSurface(const Surface& surface) const {
    SDL_Texture* texture =
        SDL_CreateTextureFromSurface(renderer_->renderer, surface.record()->surface);
    if (texture == nullptr) return sdlError();
    return Texture(renderer_, texture);
}

Texture::Texture(Texture&& other) noexcept
    : renderer_(std::move(other.renderer_)), texture_(std::exchange(other.texture_, nullptr)) {}

Texture& Texture::operator=(Texture&& other) noexcept {
    if (this != &other) {
        destroy();
        renderer_ = std::move(other.renderer_);
        texture_ = std::exchange(other.texture_, nullptr);
    }
    return *this;
}

Texture::~Texture() { destroy(); }

void Texture::destroy() noexcept {
    if (texture_ != nullptr) SDL_DestroyTexture(static_cast<SDL_Texture*>(texture_));
    texture_ = nullptr;
    renderer_.reset();
}

// >>audio ---------------------------------------------------------------------

struct AudioDevice::Record {
    std::optional<AudioSubsystem> audio;  // released last
    std::unique_ptr<AudioStream> stream;
    SDL_AudioDeviceID id = 0;
    AudioSpec obtained;
    ~Record() {
        // Close first: once SDL_CloseAudioDevice returns no callback can run,
        // so only then may the stream and its song be freed.
        if (id != 0) SDL_CloseAudioDevice(id);
        stream.reset();
    }
};

Result<AudioDevice> AudioDevice::openPlayback(const AudioSubsystem& audio,
                                              const AudioSpec& desired, AudioCallbackFn callback,
                                              int allowedChanges) {
    auto record = std::make_shared<Record>();
    record->audio = audio;
    record->stream = std::make_unique<AudioStream>();

    SDL_AudioSpec want{};
    want.freq = desired.frequency;
    want.format = desired.format;
    want.channels = desired.channels;
    want.samples = desired.samples;
    want.callback = callback;
    want.userdata = record->stream.get();
    SDL_AudioSpec have{};
    record->id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, allowedChanges);
    if (record->id == 0) return sdlError();
    record->obtained = AudioSpec{have.freq, have.format, have.channels, have.samples};
    return AudioDevice(std::move(record));
}

const AudioSpec& AudioDevice::obtained() const { return record_->obtained; }
AudioStream& AudioDevice::stream() const { return *record_->stream; }
void AudioDevice::resume() const { SDL_PauseAudioDevice(record_->id, 0); }
std::uint32_t AudioDevice::id() const { return record_->id; }
