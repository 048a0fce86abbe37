#!/usr/bin/env bash
# The Debian package: what it installs (the two programs, their manual pages
# in sections 6 and 1, the desktop entry, hicolor icons, the copyright file),
# the version, dependencies computed from the binaries, no lintian error; it
# installs with `apt install ./FILE.deb` on a fresh Debian 12 and removes
# cleanly.
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
[ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ] || fail "the package's version is $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "the package is for $(dpkg-deb -f "$deb" Architecture)"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libsdl2-2.0-0' <<<"$depends" || fail "Depends does not name SDL2: $depends"
grep -q 'libc6 (>= ' <<<"$depends" || fail "Depends has no versioned libc6: $depends"
dpkg-deb -c "$deb" | awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' || fail "files not owned by root"

lintian --no-tag-display-limit "$deb" >"$WORK/lintian.txt" 2>&1 || true
cat "$WORK/lintian.txt"
grep -q '^E: ' "$WORK/lintian.txt" && fail "lintian reports errors"

# A fresh Debian 12 with apt and nothing else.
root=$WORK/bookworm
make_root bookworm "$root" --variant=apt
cp "$deb" "$root/tmp/"
chroot "$root" apt-get install -y -q "./tmp/$(basename "$deb")" >"$WORK/install.log" 2>&1 ||
    { tail -n 20 "$WORK/install.log" >&2; fail "apt install ./$(basename "$deb") fails on Debian 12"; }
chroot "$root" invite-tool --version | grep -qF "$VERSION" || fail "the installed invite-tool --version does not say $VERSION"
chroot "$root" man -w 6 tiral25-invite >/dev/null 2>&1 || [ -f "$root/usr/share/man/man6/tiral25-invite.6.gz" ] ||
    fail "no manual page tiral25-invite(6) after installing"
chroot "$root" apt-get purge -y -q --autoremove tiral25-invite >"$WORK/remove.log" 2>&1 ||
    { tail -n 20 "$WORK/remove.log" >&2; fail "removing the package fails"; }
left=$(cd "$root" && find usr -path '*tiral25-invite*' -o -path '*invite-tool*' | head -n 5)
[ -z "$left" ] || fail "left behind after removing: $left"
chroot "$root" dpkg-query -W tiral25-invite >/dev/null 2>&1 && fail "dpkg still knows the package"
echo "PASS"
