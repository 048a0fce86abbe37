// The fixed times of the demo and what the events of its frame loop do.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The first frame is drawn before the loop, at this t.
inline constexpr double FirstFrameTime = 0.001;
// The loop stops as soon as t is above this; a t of exactly 114 is drawn.
// It is the length of the song.
inline constexpr double DemoEndTime = 114.0;

// What a key-down does to the running demo.
enum class KeyAction {
    None,
    EndDemo,           // Escape, key repeats included
    ToggleFullscreen,  // F11, or Alt+Enter (either Alt; the main or the keypad Enter)
};

// The key-down of keySym (KeySym) with these modifiers (KeyModifier bits)
// held. A held key toggles fullscreen once: its repeats do nothing.
KeyAction keyDownAction(std::int32_t keySym, std::uint16_t modifiers, bool repeat);

// True for the events that end the demo: a quit request (closing the window,
// SIGTERM, SIGINT) and an Escape key-down, key repeats included.
bool endsDemo(const Event& event);

// What the events queued since the last frame asked for.
struct QueuedRequests {
    bool endDemo = false;
    // An odd number of fullscreen key presses: two cancel each other out.
    bool toggleFullscreen = false;
};

// Reads the queued events up to the first one that ends the demo; events
// after it stay unread. Every other event (resizing, other keys, mouse
// input) is ignored.
QueuedRequests drainEvents(EventPump& pump);
