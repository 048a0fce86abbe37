// The fixed times of the demo and the events that end its frame loop.
#pragma once

#include "platform/platform.h"

// The first frame is drawn before the loop, at this t.
inline constexpr double FirstFrameTime = 0.001;
// The loop stops as soon as t is above this; a t of exactly 114 is drawn.
// It is the length of the song.
inline constexpr double DemoEndTime = 114.0;

// True for the events that end the demo: a quit request (closing the window,
// SIGTERM, SIGINT) and an Escape key-down, key repeats included.
bool endsDemo(const Event& event);

// Reads the queued events up to the first one that ends the demo and tells
// whether there was one; events after it stay unread. Every other event
// (resizing, other keys, mouse input) is ignored.
bool drainEventsEndsDemo(EventPump& pump);
