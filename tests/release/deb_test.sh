#!/usr/bin/env bash
# The Debian package: what it installs (the two programs, their manual pages
# in sections 6 and 1, the desktop entry, hicolor icons, the copyright file),
# the version, dependencies computed from the binaries, no lintian error; it
# installs with `apt install ./FILE.deb` on a fresh Debian 12 and removes
# cleanly. The arm64 package holds the same files (the same bytes but for the
# two programs), for arm64, with no lintian error either.
source "$(dirname "$0")/lib.sh"
deb=$RELEASE/tiral25-invite_${VERSION}_amd64.deb
[ -f "$deb" ] || fail "$deb is missing"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$WORK/files"
for file in /usr/bin/tiral25-invite /usr/bin/invite-tool \
    /usr/share/man/man6/tiral25-invite.6.gz /usr/share/man/man1/invite-tool.1.gz \
    /usr/share/applications/tiral25-invite.desktop \
    /usr/share/icons/hicolor/48x48/apps/tiral25-invite.png \
    /usr/share/icons/hicolor/256x256/apps/tiral25-invite.png \
    /usr/share/doc/tiral25-invite/copyright /usr/share/doc/tiral25-invite/changelog.gz; do
    grep -qxF "$file" "$WORK/files" || fail "the package has no $file"
done
# The control fields, owners and lintian of one package: check_package DEB ARCH NAME
check_package() {
    local deb=$1 arch=$2 name=$3 depends
    [ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ] || fail "$name's version is $(dpkg-deb -f "$deb" Version)"
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "$name is for $(dpkg-deb -f "$deb" Architecture)"
    depends=$(dpkg-deb -f "$deb" Depends)
    grep -q 'libsdl2-2.0-0' <<<"$depends" || fail "$name's Depends does not name SDL2: $depends"
    grep -q 'libc6 (>= ' <<<"$depends" || fail "$name's Depends has no versioned libc6: $depends"
    dpkg-deb -c "$deb" | awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' || fail "$name has files not owned by root"
    lintian --tag-display-limit 0 "$deb" >"$WORK/lintian-$arch.txt" 2>&1 || true
    cat "$WORK/lintian-$arch.txt"
    grep -q '^E: ' "$WORK/lintian-$arch.txt" && fail "lintian reports errors in $name"
    return 0
}
check_package "$deb" amd64 "the package"

arm=$RELEASE/tiral25-invite_${VERSION}_arm64.deb
[ -f "$arm" ] || fail "$arm is missing"
dpkg-deb -c "$arm" | awk '{ print $6 }' | sed 's|^\./|/|' >"$WORK/files-arm64"
diff "$WORK/files" "$WORK/files-arm64" || fail "the arm64 package holds other files than the amd64 one"
dpkg-deb -x "$deb" "$WORK/amd64-files"
dpkg-deb -x "$arm" "$WORK/arm64-files"
diff -r -x bin "$WORK/amd64-files" "$WORK/arm64-files" >&2 || fail "the two packages' files other than the programs differ"
for program in tiral25-invite invite-tool; do
    [ "$(od -An -tu2 -j18 -N2 "$WORK/arm64-files/usr/bin/$program" | tr -d ' ')" = 183 ] ||
        fail "the arm64 package's $program is not a 64-bit ARM program"
done
check_package "$arm" arm64 "the arm64 package"
echo "arm64 package: $(stat -c %s "$arm") bytes (amd64: $(stat -c %s "$deb")); Depends: $(dpkg-deb -f "$arm" Depends)"

# A fresh Debian 12 with apt and nothing else; the package is installed,
# run and removed while mmdebstrap has the root set up (network, /dev, /proc).
cat >"$WORK/in-root.sh" <<'SCRIPT'
set -eux
root=$1 deb=$2 out=$3
chroot "$root" apt-get install -y -q "/tmp/$deb"
chroot "$root" invite-tool --version >"$out/version"
chroot "$root" dpkg -L tiral25-invite >"$out/installed"
chroot "$root" apt-get purge -y -q --autoremove tiral25-invite
SCRIPT
root=$WORK/bookworm
make_root bookworm "$root" --variant=apt \
    --customize-hook="copy-in '$deb' /tmp" \
    --customize-hook="bash '$WORK/in-root.sh' \"\$1\" '$(basename "$deb")' '$WORK' >'$WORK/in-root.log' 2>&1" ||
    { tail -n 20 "$WORK/in-root.log" >&2; fail "apt install ./$(basename "$deb") and removing it fail on Debian 12"; }
grep -qxF "invite-tool $VERSION" "$WORK/version" || fail "the installed invite-tool --version says: $(cat "$WORK/version")"
grep -qxF /usr/share/man/man6/tiral25-invite.6.gz "$WORK/installed" || fail "dpkg -L lists no tiral25-invite(6)"
left=$(cd "$root" && find usr etc -path '*tiral25-invite*' -o -path '*invite-tool*' | head -n 5)
[ -z "$left" ] || fail "left behind after removing: $left"
! grep -q '^[a-z]i  *tiral25-invite ' <(chroot "$root" dpkg -l 2>/dev/null) || fail "dpkg still knows the package"
grep -q 'Removing tiral25-invite' "$WORK/in-root.log" || fail "apt did not remove the package"
echo "installed and removed on Debian 12: $(grep -c '^Setting up' "$WORK/in-root.log") packages set up"
echo "PASS"
