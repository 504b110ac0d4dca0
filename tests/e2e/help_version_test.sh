#!/usr/bin/env bash
# --help and --version answer anywhere, on a machine without a display too: each prints its
# text and exits 0, without a platform plugin ever being loaded.
# Usage: help_version_test.sh PATH/TO/quorvalin
set -u
program=${1:?usage: help_version_test.sh PATH/TO/quorvalin}
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for option in --help -h --help-all; do
  text=$(timeout 30 "$program" "$option" 2>&1)
  code=$?
  [ "$code" -eq 0 ] || fail "quorvalin $option exited with $code: $text"
  grep -q -- '--connect <URI>' <<<"$text" || fail "quorvalin $option printed no option list: $text"
done

text=$(timeout 30 "$program" --version 2>&1)
code=$?
[ "$code" -eq 0 ] || fail "quorvalin --version exited with $code: $text"
grep -q -E '^Quorvalin [0-9]+\.[0-9]+\.[0-9]+$' <<<"$text" || fail "quorvalin --version printed: $text"
echo "PASS"
