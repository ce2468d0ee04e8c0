#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Folioscope need.
# Idempotent: when everything is present it installs nothing and prints nothing.
set -euo pipefail

packages=(
    # build
    cmake g++ ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins libgl-dev
    libjpeg62-turbo-dev libuemf-dev libchm-dev libcups2-dev
    # fonts the reports are laid out in
    fonts-ipafont-mincho fonts-ipafont-gothic
    # help compiler
    fp-utils
    # tests: PDF text, a virtual display, a real print queue
    poppler-utils xvfb xauth cups cups-client cups-bsd printer-driver-cups-pdf
    # fuzzing: libFuzzer and the sanitizer runtimes come with clang's runtime package
    clang libclang-rt-14-dev
    # benchmarks: reference tools measured in the same run
    paps libjpeg-turbo-progs
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
    "${missing[@]}" >/dev/null
