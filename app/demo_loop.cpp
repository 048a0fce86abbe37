#include "app/demo_loop.h"

bool endsDemo(const Event& event) { return event.isQuit() || event.isEscapeDown(); }

bool drainEventsEndsDemo(EventPump& pump) {
    while (const std::optional<Event> event = pump.poll()) {
        if (endsDemo(*event)) return true;
    }
    return false;
}
