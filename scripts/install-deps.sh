#!/usr/bin/env bash
# Installs the Debian packages that building, testing, packaging and running Folioscope use,
# and nothing else of our own choosing:
#   scripts/install-deps.sh           build, tests, package
#   scripts/install-deps.sh --bench   also the reference tools the benchmarks compare with
# Idempotent: when everything is present it installs nothing and prints nothing.
set -euo pipefail

packages=(
    # build
    cmake g++ ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
    # Qt's own dialogs and menus in Japanese (qtbase_ja)
    qt6-translations-l10n
    libjpeg62-turbo-dev libuemf-dev libchm-dev libcups2-dev libqpdf-dev libzstd-dev
    # fonts the reports are laid out in (the tool and its tests)
    fonts-ipafont-mincho fonts-ipafont-gothic
    # help compiler (chmcmd): fp-utils brings the Free Pascal sources, about 250 MB installed
    fp-utils
    # tests: PDF text and page counts; a real print queue for the printing tests
    poppler-utils qpdf cups cups-client cups-bsd printer-driver-cups-pdf
    # end-to-end tests: an X server and window manager, keys and clicks, window lookup, the clipboard
    xvfb openbox xdotool x11-utils xclip
    # package: dependencies (dpkg-shlibdeps) and the checks of scripts/package-test.sh
    dpkg-dev lintian desktop-file-utils man-db
    # the function-length check (scripts/long-functions.py)
    universal-ctags
    # fuzzing: libFuzzer and the sanitizer runtimes come with clang's runtime package
    clang libclang-rt-14-dev
)
if [ "${1:-}" = --bench ]; then
    # benchmarks: reference tools measured in the same run
    packages+=(paps libjpeg-turbo-progs)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
# With the packages' recommendations (a few small packages), as on the machines where the
# tests pass: a new machine set up otherwise would test something else.
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
    "${missing[@]}" >/dev/null
