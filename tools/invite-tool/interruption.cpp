#include "tools/invite-tool/interruption.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace {
constexpr int Slots = 8;

// Read by the signal handler: a slot is filled with the signals blocked, and
// `used` is set last, so the handler never sees half a path.
struct Slot {
    volatile sig_atomic_t used = 0;
    char path[PATH_MAX] = {};
};
std::array<Slot, Slots> slots;
volatile sig_atomic_t deferred = 0;
volatile sig_atomic_t pending = 0;

constexpr std::array<int, 2> CaughtSignals{SIGINT, SIGTERM};

sigset_t caughtSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int number : CaughtSignals) sigaddset(&set, number);
    return set;
}

[[noreturn]] void endBy(int number) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(number, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, number);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(number);
    _exit(128 + number);  // not reached: the default action of both ends the process
}

extern "C" void onSignal(int number) {
    if (deferred) {
        if (pending == 0) pending = number;
        return;
    }
    for (Slot& slot : slots) {
        if (slot.used) unlink(slot.path);
    }
    endBy(number);
}

void install() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_mask = caughtSet();
    // No SA_RESTART: a blocked write to ffmpeg or a wait returns EINTR, so
    // the capture notices the signal at once.
    action.sa_flags = 0;
    for (int number : CaughtSignals) {
        // A signal ignored by whoever started us (nohup, a shell's background
        // job) stays ignored.
        struct sigaction previous {};
        if (sigaction(number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        sigaction(number, &action, nullptr);
    }
}

// Blocks the caught signals for the scope, so a slot changes atomically for
// the handler.
class BlockedSignals {
public:
    BlockedSignals() {
        const sigset_t set = caughtSet();
        sigprocmask(SIG_BLOCK, &set, &previous_);
    }
    ~BlockedSignals() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    BlockedSignals(const BlockedSignals&) = delete;
    BlockedSignals& operator=(const BlockedSignals&) = delete;

private:
    sigset_t previous_;
};
}  // namespace

void catchInterruptions() { install(); }

void deferInterruptions() {
    deferred = 1;
    install();
}

bool interrupted() { return pending != 0; }

void endByPendingSignal() {
    if (pending != 0) endBy(pending);
}

RemovedOnInterruption::RemovedOnInterruption(const std::string& path) {
    if (path.size() >= PATH_MAX) return;
    const BlockedSignals blocked;
    for (int i = 0; i < Slots; ++i) {
        Slot& slot = slots[static_cast<std::size_t>(i)];
        if (slot.used) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.used = 1;
        slot_ = i;
        return;
    }
}

RemovedOnInterruption::~RemovedOnInterruption() {
    if (slot_ < 0) return;
    const BlockedSignals blocked;
    slots[static_cast<std::size_t>(slot_)].used = 0;
}
