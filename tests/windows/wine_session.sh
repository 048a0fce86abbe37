# A headless wine session for the Windows tests, to be sourced by bash:
#   source tests/windows/wine_session.sh STATE_DIR
# Starts Xvfb on a free display, makes the wine prefix STATE_DIR/wine-prefix
# once (later sessions reuse it), and starts a persistent wineserver for it.
# Exports DISPLAY, WINEPREFIX, WINEDEBUG and HOME (a private one whose ALSA
# default is the null device, so that wine has a sound endpoint without a
# sound card). wine_session_end, run on exit, stops what was started here.

wine_state=${1:?usage: source wine_session.sh STATE_DIR}
mkdir -p "$wine_state"
wine_state=$(cd "$wine_state" && pwd)
WINE_XVFB_PID=

wine_session_end() {
    # Only this prefix's server and programs.
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -n "$WINE_XVFB_PID" ]; then kill "$WINE_XVFB_PID" 2>/dev/null || true; fi
    WINE_XVFB_PID=
}

wine_session_fail() {
    echo "tiral25-invite: the wine session cannot start: $*" >&2
    wine_session_end
    return 1
}

wine_session_start() {
    local i
    rm -f "$wine_state/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$wine_state/display" \
        >"$wine_state/xvfb.log" 2>&1 </dev/null &
    WINE_XVFB_PID=$!
    for i in $(seq 100); do
        [ -s "$wine_state/display" ] && break
        sleep 0.1
    done
    [ -s "$wine_state/display" ] || { wine_session_fail "Xvfb did not start"; return 1; }
    export DISPLAY=":$(tr -d '\n' <"$wine_state/display")"

    export WINEPREFIX=$wine_state/wine-prefix WINEDEBUG=-all WINEARCH=win64
    mkdir -p "$wine_state/home"
    echo 'pcm.!default { type null }' >"$wine_state/home/.asoundrc"
    export HOME=$wine_state/home

    # A prefix is complete once it is marked so; anything else starts afresh.
    if [ ! -f "$WINEPREFIX/.tiral25-ready" ]; then
        rm -rf "$WINEPREFIX"
        local start=$SECONDS
        # No Mono or Gecko: nothing here needs them, and wine would ask for them.
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init </dev/null >"$wine_state/wineboot.log" 2>&1 ||
            { wine_session_fail "wineboot failed (see $wine_state/wineboot.log)"; return 1; }
        wineserver -w
        echo "wine prefix made in $((SECONDS - start)) s"
        touch "$WINEPREFIX/.tiral25-ready"
    fi

    # A persistent server, started with its standard streams on /dev/null:
    # the helper programs wine starts with the first program of a session
    # (services, explorer, ...) inherit that program's standard output, and
    # whoever reads it (ctest, a test script) would wait for them to end.
    wineserver -p </dev/null >/dev/null 2>&1
    # Without a window manager, wine's managed windows make DestroyWindow
    # wait 2 s for an answer that never comes: let wine place them itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        </dev/null >/dev/null 2>&1 || { wine_session_fail "wine does not run"; return 1; }
}
