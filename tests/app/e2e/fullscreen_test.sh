#!/usr/bin/env bash
# Under a window manager: F11 and Alt+Enter (the main or the keypad Enter)
# switch the window to fullscreen, covering the screen with the canvas
# letterboxed and the pointer hidden, and back to the 640 x 400 window where
# it was, with the pointer shown. A held key switches once, whatever its
# auto-repeat. Escape ends the demo at once in fullscreen too.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_window_manager
start_demo
window=$(wait_for_window)

screen=$(xwininfo -root | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
fullscreen=$screen+0+0
windowed=$(window_geometry "$window")
[[ "$windowed" == 640x400+* ]] || fail "the window starts as $windowed, not 640x400"
declare -A geometry=([fullscreen]=$fullscreen [window]=$windowed)
# The keys go through the X server's keyboard (XTEST) to the focused window,
# as a user's do: with modifier state, and with the server's auto-repeat
# while a key is held (about 25 repeats a second after 660 ms on Xvfb).
xdotool windowactivate --sync "$window"

# The pointer is checked where it is drawn over the window: its centre.
pointer_over_window() {
    local x y
    IFS=x+ read -r w h x y <<<"$(window_geometry "$window")"
    xdotool mousemove $((x + w / 2)) $((y + h / 2))
    sleep 0.3
}

expect_fullscreen() {
    wait_for_geometry "$window" "$fullscreen" 10
    xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN ||
        fail "$1: the window covers the screen but is not in the fullscreen state"
    pointer_over_window
    if pointer_drawn; then fail "$1: the pointer is shown in fullscreen"; fi
    import -window root "$WORK/screen.png"
    check_letterboxed "$WORK/screen.png" || fail "$1: the canvas is not letterboxed"
}

expect_window() {
    wait_for_geometry "$window" "$windowed" 10
    if xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; then
        fail "$1: the window is still in the fullscreen state"
    fi
    pointer_over_window
    pointer_drawn || fail "$1: the pointer is hidden over the window"
}

pointer_over_window
pointer_drawn || fail "the pointer is hidden over the window at the start"

# Each key and what it leaves the window as.
cases=(
    "F11 fullscreen"
    "F11 window"
    "alt+Return fullscreen"
    "alt+Return window"
    "alt+KP_Enter fullscreen"
    "alt+KP_Enter window"
)
for case in "${cases[@]}"; do
    read -r key state <<<"$case"
    xdotool key "$key"
    "expect_$state" "$key to $state"
    echo "$key: $state"
done

# Held down for two seconds: one switch, then nothing while it repeats.
for case in "F11 fullscreen" "alt+Return window"; do
    read -r key state <<<"$case"
    xdotool keydown "$key"
    wait_for_geometry "$window" "${geometry[$state]}" 10
    for i in $(seq 20); do
        sleep 0.1
        [ "$(window_geometry "$window")" = "${geometry[$state]}" ] ||
            { xdotool keyup "$key"; fail "$key held: the window switched again while it repeated"; }
    done
    xdotool keyup "$key"
    sleep 0.5
    "expect_$state" "$key held"
    echo "$key held: $state"
done

# Other keys leave fullscreen as it is.
xdotool key F11
expect_fullscreen "F11 before other keys"
xdotool key Return a F10 F12 ctrl+Return shift+Return
sleep 0.5
[ "$(window_geometry "$window")" = "$fullscreen" ] || fail "other keys left fullscreen"
expect_running_for 0.5

# The demo ends on the key-down; the key-up that xdotool sends after it may
# find the window gone already.
pressed=$(date +%s%N)
xdotool key Escape 2>/dev/null || true
wait_for_exit 10
echo "Escape in fullscreen: ended after $((($(date +%s%N) - pressed) / 1000000)) ms"
[ "$DEMO_STATUS" -eq 0 ] || fail "Escape in fullscreen gave exit status $DEMO_STATUS"
[ ! -s "$WORK/stderr" ] || fail "the demo wrote to standard error"
check_time_lines
echo "PASS"
