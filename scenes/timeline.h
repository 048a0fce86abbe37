// The frame-level maths shared by every scene: the pulsing text colour, the
// double-to-pixel conversion, and which scenes a given demo time shows.
// Pure functions of t; nothing here touches SDL.
#pragma once

#include <cstdint>
#include <optional>

// Demo times (seconds) at which the scenes start; each start is inclusive.
inline constexpr double WaveStart = 12.0;
inline constexpr double SloganStart = 18.0;
inline constexpr double InvitationStart = 30.0;
inline constexpr double GreetingsStart = 63.0;
inline constexpr double GreetingsEnd = 90.0;  // the signature returns from here on
// From GreetingsEnd on the signature runs at t - SignatureReplayShift, so it
// resumes at signature time 15 where it was at t = 15.
inline constexpr double SignatureReplayShift = 75.0;

// The background every frame is cleared to.
inline constexpr std::uint8_t ClearLevel = 12;  // red = green = blue, alpha 255

// The text level: a triangle wave over 8.5 s (60 steps a second up to 255 and
// back), 0 at t = 0, 255 at t = 4.25. A negative t or NaN gives 0.
std::uint8_t pulse(double t);

// The one colour of all text in a frame as makeGlyphTexture takes it:
// red = pulse (bits 0-7), green = 64 (8-15), blue = 255 - pulse (16-23),
// alpha bits 0xFF (24-31).
std::uint32_t textColour(std::uint8_t pulse);

// A double position to a pixel coordinate: truncation toward zero, saturating
// at the int32 limits, NaN to 0.
std::int32_t toPixel(double position);

// Rounds to the nearest integer with halves away from zero (2.5 -> 3, -2.5 -> -3).
double roundHalfAway(double value);

// a + b with the result held to the int32 range instead of overflowing.
std::int32_t addSaturating(std::int32_t a, std::int32_t b);

// The scenes a frame shows, in drawing order: the signature (at its own
// time), then the wave backdrop and the slogan, or the invitation, or the
// greetings. At most one of the last three groups is set.
struct SceneSchedule {
    std::optional<double> signatureTime;  // s; absent when the signature is not drawn
    bool wave = false;
    bool slogan = false;
    bool invitation = false;
    bool greetings = false;

    bool operator==(const SceneSchedule&) const = default;
};

// The timeline: t < 0 or NaN shows nothing; [0, 30) the signature at s = t,
// with the wave from 12 and the slogan from 18; [30, 63) the invitation;
// [63, 90) the greetings; from 90 on the signature alone at s = t - 75.
SceneSchedule scheduleFor(double t);
