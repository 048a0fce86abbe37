#!/usr/bin/env bash
# The release holds exactly its artefacts, the checksums match, and each
# archive holds what a user expects in it: the Windows zip the exe, README.txt
# and the .nfo; the Linux tarball one folder with the program, README and the
# .nfo; the web zip the page; the source tarball the commit's files.
source "$(dirname "$0")/lib.sh"
cd "$RELEASE"

want="$NAME-1080p.mp4 $NAME-linux-x86_64.tar.gz $NAME-src.tar.gz $NAME-web.zip $NAME-windows-x64.zip SHA256SUMS contact-sheet.png tiral25-invite.nfo tiral25-invite_${VERSION}_amd64.deb tiral25-invite_${VERSION}_arm64.deb"
have=$(ls -A | sort | paste -sd' ' -)
[ "$have" = "$(tr ' ' '\n' <<<"$want" | sort | paste -sd' ' -)" ] || fail "the release holds: $have"
sha256sum --quiet -c SHA256SUMS || fail "sha256sum -c SHA256SUMS fails"
[ "$(awk '{ print $2 }' SHA256SUMS | sort | paste -sd' ' -)" = "$(ls -A | grep -vx SHA256SUMS | sort | paste -sd' ' -)" ] ||
    fail "SHA256SUMS does not cover every artefact"

# archive, its member list (directories end in /)
check_members() {
    [ "$2" = "$3" ] || fail "$1 holds: $2 (expected: $3)"
}
check_members "$NAME-windows-x64.zip" "$(zipinfo -1 "$NAME-windows-x64.zip" | paste -sd' ' -)" \
    "README.txt tiral25-invite.exe tiral25-invite.nfo"
check_members "$NAME-linux-x86_64.tar.gz" "$(tar tzf "$NAME-linux-x86_64.tar.gz" | paste -sd' ' -)" \
    "$NAME-linux-x86_64/ $NAME-linux-x86_64/README $NAME-linux-x86_64/tiral25-invite $NAME-linux-x86_64/tiral25-invite.nfo"
check_members "$NAME-web.zip" "$(zipinfo -1 "$NAME-web.zip" | paste -sd' ' -)" \
    "$NAME-web/index.html $NAME-web/tiral25-invite.js $NAME-web/tiral25-invite.wasm"

# Owners, modes and times are fixed: root, 0644/0755, all the same time.
tar tvzf "$NAME-linux-x86_64.tar.gz" >"$WORK/tar.txt"
awk '$2 != "0/0" { print "owner " $2 " of " $6; bad = 1 } END { exit bad }' "$WORK/tar.txt" || fail "tar members not owned by root"
[ "$(awk '{ print $4, $5 }' "$WORK/tar.txt" | sort -u | wc -l)" = 1 ] || fail "tar members have different times"
grep -q '^-rwxr-xr-x .*/tiral25-invite$' "$WORK/tar.txt" || fail "the program is not executable in the tarball"

# The .nfo: plain ASCII, at most 80 columns, names the version; the zip's
# copy is the same text with Windows line ends, the tarball's the same bytes.
LC_ALL=C grep -q '[^ -~]' tiral25-invite.nfo && fail "the .nfo holds characters that are not printable ASCII"
awk 'length($0) > 80 { exit 1 }' tiral25-invite.nfo || fail "the .nfo is wider than 80 columns"
grep -qF "$VERSION" tiral25-invite.nfo || fail "the .nfo does not name version $VERSION"
tar xzf "$NAME-linux-x86_64.tar.gz" -C "$WORK"
cmp -s tiral25-invite.nfo "$WORK/$NAME-linux-x86_64/tiral25-invite.nfo" || fail "the tarball's .nfo differs"
unzip -p "$NAME-windows-x64.zip" tiral25-invite.nfo | tr -d '\r' | cmp -s - tiral25-invite.nfo || fail "the zip's .nfo differs"

# The portable program needs nothing newer than glibc 2.34, and no library
# but glibc's and libgcc_s.
program=$WORK/$NAME-linux-x86_64/tiral25-invite
newest=$(objdump -T "$program" | grep -o 'GLIBC_[0-9.]*' | sort -uV | tail -n 1)
[ "$(printf '%s\n' GLIBC_2.34 "$newest" | sort -V | tail -n 1)" = GLIBC_2.34 ] || fail "the program needs $newest"
needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | paste -sd' ' -)
[ "$needed" = "ld-linux-x86-64.so.2 libc.so.6 libgcc_s.so.1 libm.so.6" ] ||
    [ "$needed" = "libc.so.6 libgcc_s.so.1 libm.so.6" ] || fail "the program needs $needed"
echo "portable program: newest symbol version $newest; needs $needed"

# The source tarball is the commit: the same files as git has.
tar tzf "$NAME-src.tar.gz" | grep -v '/$' | sed "s|^$NAME/||" | sort >"$WORK/src.txt"
[ -s "$WORK/src.txt" ] || fail "the source tarball is empty"
grep -qx 'scripts/release.sh' "$WORK/src.txt" || fail "the source tarball has no scripts/release.sh"
grep -qx 'VERSION' "$WORK/src.txt" || fail "the source tarball has no VERSION"
tar xzf "$NAME-src.tar.gz" -C "$WORK" "$NAME/VERSION"
[ "$(cat "$WORK/$NAME/VERSION")" = "$VERSION" ] || fail "the source's VERSION is not $VERSION"

# The contact sheet is a PNG.
[ "$(head -c 8 contact-sheet.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "contact-sheet.png is not a PNG"
echo "PASS"
