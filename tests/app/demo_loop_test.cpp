#include "app/demo_loop.h"

#include <SDL.h>

#include <gtest/gtest.h>

namespace {

SDL_Event keyEvent(std::uint32_t type, SDL_Keycode sym, bool repeat, std::uint16_t mod = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    event.key.repeat = repeat ? 1 : 0;
    return event;
}

SDL_Event windowEvent(std::uint8_t which) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = which;
    return event;
}

SDL_Event plainEvent(std::uint32_t type) {
    SDL_Event event{};
    event.type = type;
    return event;
}

class DemoLoopEvents : public ::testing::Test {
protected:
    void SetUp() override {
        Result<Sdl> sdl = Sdl::create();
        ASSERT_TRUE(sdl.ok()) << sdl.error().text;
        Result<EventPump> pump = sdl.value().eventPump();
        ASSERT_TRUE(pump.ok()) << pump.error().text;
        sdl_.emplace(std::move(sdl).value());
        pump_.emplace(std::move(pump).value());
    }
    void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    std::optional<Sdl> sdl_;
    std::optional<EventPump> pump_;
};

// The keys as SDL reports them: its own key codes and modifier bits.
struct KeyCase {
    const char* name;
    SDL_Keycode sym;
    std::uint16_t mod;
    bool repeat;
    KeyAction action;
};

TEST(KeyDownAction, EscapeEndsF11AndAltEnterToggleFullscreen) {
    const KeyCase cases[] = {
        {"Escape", SDLK_ESCAPE, KMOD_NONE, false, KeyAction::EndDemo},
        {"Escape repeat", SDLK_ESCAPE, KMOD_NONE, true, KeyAction::EndDemo},
        {"Alt+Escape", SDLK_ESCAPE, KMOD_LALT, false, KeyAction::EndDemo},
        {"F11", SDLK_F11, KMOD_NONE, false, KeyAction::ToggleFullscreen},
        {"F11 with Num Lock on", SDLK_F11, KMOD_NUM, false, KeyAction::ToggleFullscreen},
        {"Shift+F11", SDLK_F11, KMOD_LSHIFT, false, KeyAction::ToggleFullscreen},
        {"F11 repeat", SDLK_F11, KMOD_NONE, true, KeyAction::None},
        {"left Alt+Enter", SDLK_RETURN, KMOD_LALT, false, KeyAction::ToggleFullscreen},
        {"right Alt+Enter", SDLK_RETURN, KMOD_RALT, false, KeyAction::ToggleFullscreen},
        {"both Alts+Enter", SDLK_RETURN, KMOD_ALT, false, KeyAction::ToggleFullscreen},
        {"Ctrl+Alt+Enter", SDLK_RETURN, KMOD_LALT | KMOD_LCTRL, false,
         KeyAction::ToggleFullscreen},
        {"Alt+keypad Enter", SDLK_KP_ENTER, KMOD_LALT, false, KeyAction::ToggleFullscreen},
        {"right Alt+keypad Enter", SDLK_KP_ENTER, KMOD_RALT, false, KeyAction::ToggleFullscreen},
        {"Alt+Enter repeat", SDLK_RETURN, KMOD_LALT, true, KeyAction::None},
        {"Alt+keypad Enter repeat", SDLK_KP_ENTER, KMOD_RALT, true, KeyAction::None},
        {"Enter", SDLK_RETURN, KMOD_NONE, false, KeyAction::None},
        {"keypad Enter", SDLK_KP_ENTER, KMOD_NONE, false, KeyAction::None},
        {"Ctrl+Enter", SDLK_RETURN, KMOD_LCTRL, false, KeyAction::None},
        {"Shift+Enter", SDLK_RETURN, KMOD_RSHIFT, false, KeyAction::None},
        {"AltGr (mode)+Enter", SDLK_RETURN, KMOD_MODE, false, KeyAction::None},
        {"Alt alone", SDLK_LALT, KMOD_LALT, false, KeyAction::None},
        {"Alt+F", SDLK_f, KMOD_LALT, false, KeyAction::None},
        {"F10", SDLK_F10, KMOD_NONE, false, KeyAction::None},
        {"F12", SDLK_F12, KMOD_NONE, false, KeyAction::None},
        {"f", SDLK_f, KMOD_NONE, false, KeyAction::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keyDownAction(c.sym, c.mod, c.repeat), c.action) << c.name;
    }
}

struct QueuedCase {
    const char* name;
    SDL_Event event;
    bool ends;
    bool toggles;
};

TEST_F(DemoLoopEvents, QuitAndEscapeEndTheDemoF11AndAltEnterToggleFullscreen) {
    const QueuedCase cases[] = {
        {"quit", plainEvent(SDL_QUIT), true, false},
        {"Escape down", keyEvent(SDL_KEYDOWN, SDLK_ESCAPE, false), true, false},
        {"Escape repeat", keyEvent(SDL_KEYDOWN, SDLK_ESCAPE, true), true, false},
        {"Escape up", keyEvent(SDL_KEYUP, SDLK_ESCAPE, false), false, false},
        {"F11 down", keyEvent(SDL_KEYDOWN, SDLK_F11, false), false, true},
        {"F11 repeat", keyEvent(SDL_KEYDOWN, SDLK_F11, true), false, false},
        {"F11 up", keyEvent(SDL_KEYUP, SDLK_F11, false), false, false},
        {"Alt+Enter down", keyEvent(SDL_KEYDOWN, SDLK_RETURN, false, KMOD_LALT), false, true},
        {"Alt+Enter up", keyEvent(SDL_KEYUP, SDLK_RETURN, false, KMOD_LALT), false, false},
        {"a down", keyEvent(SDL_KEYDOWN, SDLK_a, false), false, false},
        {"q down", keyEvent(SDL_KEYDOWN, SDLK_q, false), false, false},
        {"space down", keyEvent(SDL_KEYDOWN, SDLK_SPACE, false), false, false},
        {"resized", windowEvent(SDL_WINDOWEVENT_RESIZED), false, false},
        {"size changed", windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED), false, false},
        {"minimized", windowEvent(SDL_WINDOWEVENT_MINIMIZED), false, false},
        {"mouse button", plainEvent(SDL_MOUSEBUTTONDOWN), false, false},
        {"mouse motion", plainEvent(SDL_MOUSEMOTION), false, false},
    };
    for (const auto& c : cases) {
        push(c.event);
        const QueuedRequests requests = drainEvents(*pump_);
        EXPECT_EQ(requests.endDemo, c.ends) << c.name;
        EXPECT_EQ(requests.toggleFullscreen, c.toggles) << c.name;
        EXPECT_FALSE(pump_->poll()) << c.name << ": the queue was not drained";
    }
}

TEST_F(DemoLoopEvents, DrainsEveryEventWhenNoneEndsTheDemo) {
    push(windowEvent(SDL_WINDOWEVENT_RESIZED));
    push(keyEvent(SDL_KEYDOWN, SDLK_a, false));
    push(keyEvent(SDL_KEYUP, SDLK_ESCAPE, false));
    EXPECT_FALSE(drainEvents(*pump_).endDemo);
    EXPECT_FALSE(pump_->poll());
}

// Each press toggles: an even number between two frames leaves the window as
// it was, an odd number switches it.
TEST_F(DemoLoopEvents, FullscreenPressesBetweenTwoFramesAddUp) {
    for (int presses = 0; presses <= 3; ++presses) {
        for (int i = 0; i < presses; ++i) {
            push(i % 2 == 0 ? keyEvent(SDL_KEYDOWN, SDLK_F11, false)
                            : keyEvent(SDL_KEYDOWN, SDLK_KP_ENTER, false, KMOD_RALT));
            push(keyEvent(SDL_KEYDOWN, SDLK_F11, true));  // repeats change nothing
        }
        const QueuedRequests requests = drainEvents(*pump_);
        EXPECT_FALSE(requests.endDemo) << presses;
        EXPECT_EQ(requests.toggleFullscreen, presses % 2 == 1) << presses << " presses";
    }
}

TEST_F(DemoLoopEvents, StopsReadingAtTheEndingEvent) {
    push(keyEvent(SDL_KEYDOWN, SDLK_a, false));
    push(keyEvent(SDL_KEYDOWN, SDLK_F11, false));
    push(plainEvent(SDL_QUIT));
    push(keyEvent(SDL_KEYDOWN, SDLK_b, false));
    EXPECT_TRUE(drainEvents(*pump_).endDemo);
    const std::optional<Event> unread = pump_->poll();
    ASSERT_TRUE(unread);
    EXPECT_EQ(unread->type, SDL_KEYDOWN);
    EXPECT_EQ(unread->keySym, SDLK_b);
}

TEST(DemoTimes, FirstFrameAndEnd) {
    EXPECT_EQ(FirstFrameTime, 0.001);
    EXPECT_EQ(DemoEndTime, 114.0);
}

}  // namespace
