#include "app/demo_loop.h"

KeyAction keyDownAction(std::int32_t keySym, std::uint16_t modifiers, bool repeat) {
    if (keySym == KeySym::Escape) return KeyAction::EndDemo;
    if (repeat) return KeyAction::None;
    const bool enter = keySym == KeySym::Return || keySym == KeySym::KeypadEnter;
    if (keySym == KeySym::F11 || (enter && (modifiers & KeyModifier::Alt) != 0)) {
        return KeyAction::ToggleFullscreen;
    }
    return KeyAction::None;
}

namespace {
KeyAction actionOf(const Event& event) {
    if (!event.isKeyDown()) return KeyAction::None;
    return keyDownAction(event.keySym, event.keyModifiers, event.keyRepeat);
}
}  // namespace

bool endsDemo(const Event& event) {
    return event.isQuit() || actionOf(event) == KeyAction::EndDemo;
}

QueuedRequests drainEvents(EventPump& pump) {
    QueuedRequests requests;
    while (const std::optional<Event> event = pump.poll()) {
        if (endsDemo(*event)) {
            requests.endDemo = true;
            break;
        }
        if (actionOf(*event) == KeyAction::ToggleFullscreen) {
            requests.toggleFullscreen = !requests.toggleFullscreen;
        }
    }
    return requests;
}
