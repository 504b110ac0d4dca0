#!/usr/bin/env bash
# Installs what building and testing Quorvalin needs on a Debian machine, if it is missing.
set -euo pipefail

packages=(cmake ninja-build pkg-config g++ clang libclang-rt-dev
  qt6-base-dev qt6-serialport-dev libftdi1-dev libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev iproute2 python3 fonts-dejavu-core ccache
  scdoc groff-base librsvg2-bin dpkg-dev file lintian desktop-file-utils appstream
  prometheus-cpp-dev libsystemd-dev systemd man-db prometheus
  python3-pyvisa python3-pyvisa-py)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
