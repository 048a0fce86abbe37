#include "app/demo_loop.h"

#include <SDL.h>

#include <gtest/gtest.h>

namespace {

SDL_Event keyEvent(std::uint32_t type, SDL_Keycode sym, bool repeat) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = sym;
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

struct EndingCase {
    const char* name;
    SDL_Event event;
    bool ends;
};

TEST_F(DemoLoopEvents, OnlyQuitAndEscapeDownEndTheDemo) {
    const EndingCase cases[] = {
        {"quit", plainEvent(SDL_QUIT), true},
        {"Escape down", keyEvent(SDL_KEYDOWN, SDLK_ESCAPE, false), true},
        {"Escape repeat", keyEvent(SDL_KEYDOWN, SDLK_ESCAPE, true), true},
        {"Escape up", keyEvent(SDL_KEYUP, SDLK_ESCAPE, false), false},
        {"a down", keyEvent(SDL_KEYDOWN, SDLK_a, false), false},
        {"q down", keyEvent(SDL_KEYDOWN, SDLK_q, false), false},
        {"space down", keyEvent(SDL_KEYDOWN, SDLK_SPACE, false), false},
        {"resized", windowEvent(SDL_WINDOWEVENT_RESIZED), false},
        {"size changed", windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED), false},
        {"minimized", windowEvent(SDL_WINDOWEVENT_MINIMIZED), false},
        {"mouse button", plainEvent(SDL_MOUSEBUTTONDOWN), false},
        {"mouse motion", plainEvent(SDL_MOUSEMOTION), false},
    };
    for (const auto& c : cases) {
        push(c.event);
        EXPECT_EQ(drainEventsEndsDemo(*pump_), c.ends) << c.name;
        EXPECT_FALSE(pump_->poll()) << c.name << ": the queue was not drained";
    }
}

TEST_F(DemoLoopEvents, DrainsEveryEventWhenNoneEndsTheDemo) {
    push(windowEvent(SDL_WINDOWEVENT_RESIZED));
    push(keyEvent(SDL_KEYDOWN, SDLK_a, false));
    push(keyEvent(SDL_KEYUP, SDLK_ESCAPE, false));
    EXPECT_FALSE(drainEventsEndsDemo(*pump_));
    EXPECT_FALSE(pump_->poll());
}

TEST_F(DemoLoopEvents, StopsReadingAtTheEndingEvent) {
    push(keyEvent(SDL_KEYDOWN, SDLK_a, false));
    push(plainEvent(SDL_QUIT));
    push(keyEvent(SDL_KEYDOWN, SDLK_b, false));
    EXPECT_TRUE(drainEventsEndsDemo(*pump_));
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
