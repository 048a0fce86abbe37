#!/usr/bin/env bash
# The zip holds the one program and its README; the program is a 64-bit
# console program that imports nothing but Windows' own DLLs, so it runs
# with no DLL beside it.
source "$(dirname "$0")/lib.sh"

[ "$(cd dist && ls | sort | paste -sd' ' -)" = "README.txt tiral25-invite.exe" ] ||
    fail "the zip holds: $(cd dist && ls | paste -sd' ' -)"
headers=$(x86_64-w64-mingw32-objdump -p "$EXE")
grep -q '^Magic[[:space:]]*020b' <<<"$headers" || fail "not a PE32+ (64-bit) program"
grep -q '^Subsystem[[:space:]]*00000003' <<<"$headers" || fail "not a console program"
imports=$(awk '/DLL Name:/ { print $3 }' <<<"$headers")
[ -n "$imports" ] || fail "no imports found"
system='^(kernel32|user32|gdi32|winmm|imm32|ole32|oleaut32|version|advapi32|setupapi|shell32|msvcrt|bcrypt|ws2_32|hid|dinput8|dxgi|cfgmgr32|uxtheme)\.dll$'
foreign=$(grep -viE "$system" <<<"$imports" || true)
[ -z "$foreign" ] || fail "imports DLLs that are not Windows' own: $foreign"
grep -q $'\r$' dist/README.txt || fail "README.txt does not have Windows line ends"
grep -q "Escape" dist/README.txt && grep -q "F11 or Alt+Enter" dist/README.txt ||
    fail "README.txt does not name the keys"
echo "imports: $(paste -sd' ' - <<<"$imports")"
echo "PASS"
