#!/usr/bin/env bash
# Builds the Debian package and checks it as a user's machine would see it: exactly the files
# it should hold, lintian without errors, a valid desktop entry and metainfo, dependencies
# computed from the programs, and the three programs running from a scratch root where the
# package is unpacked.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$SECONDS
deb=$(./scripts/package.sh | tail -n 1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "package-check: FAIL: $*" >&2
  exit 1
}

icons=()
for size in 16 22 24 32 48 64 128 256; do
  icons+=("/usr/share/icons/hicolor/${size}x${size}/apps/quorvalin.png")
done
expected=(/usr/bin/quorvalin /usr/bin/quorvalin-sim /usr/bin/quorvalin-log
  /usr/lib/udev/rules.d/70-quorvalin.rules
  /usr/share/applications/quorvalin.desktop
  /usr/share/metainfo/org.example.quorvalin.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/quorvalin.svg "${icons[@]}"
  /usr/share/man/man1/quorvalin.1.gz /usr/share/man/man1/quorvalin-sim.1.gz
  /usr/share/man/man1/quorvalin-log.1.gz
  /usr/share/doc/quorvalin/README.md /usr/share/doc/quorvalin/copyright
  /usr/share/doc/quorvalin/changelog.gz)

# Files only (folders end in /), with the leading dot taken off.
dpkg-deb --contents "$deb" | awk '{print $6}' | sed -e 's|^\./|/|' | grep -v '/$' | sort \
  >"$work/contents"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
if ! diff -u "$work/expected" "$work/contents" >"$work/contents.diff"; then
  cat "$work/contents.diff" >&2
  fail "the package holds other files than expected (- missing, + unexpected)"
fi

depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libqt6serialport6 libftdi1-2 libudev1 qt6-qpa-plugins; do
  grep -q "$library" <<<"$depends" || fail "Depends has no $library: $depends"
done

# Errors fail; warnings and the rest are shown for whoever reads the log.
lintian_out=$(lintian --fail-on error --display-info "$deb" 2>&1) ||
  { echo "$lintian_out" >&2; fail "lintian reports errors"; }
[ -z "$lintian_out" ] || { echo "package-check: lintian says:"; echo "$lintian_out"; }

root="$work/root"
dpkg-deb --extract "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/quorvalin.desktop" ||
  fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.quorvalin.metainfo.xml" \
  >"$work/appstream.txt" || { cat "$work/appstream.txt" >&2; fail "appstreamcli validate"; }

# Run from the scratch root, with no display and no help from the build folder.
version=$(cat CMakeLists.txt | sed -n 's/^project(quorvalin VERSION \([0-9.]*\) .*/\1/p')
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH \
    timeout 30 "$root/usr/bin/$@" 2>&1
}
out=$(run quorvalin --version) || fail "quorvalin --version: $out"
[ "$out" = "Quorvalin $version" ] || fail "quorvalin --version printed: $out"
out=$(run quorvalin-log --help) || fail "quorvalin-log --help: $out"
grep -q -- '--version' <<<"$out" || fail "quorvalin-log --help printed: $out"
out=$(run quorvalin-sim --help) || fail "quorvalin-sim --help: $out"
grep -q -- '--pty' <<<"$out" || fail "quorvalin-sim --help printed: $out"

echo "package-check: $(basename "$deb") ($(stat -c %s "$deb") bytes) passed in $((SECONDS - started)) s"
