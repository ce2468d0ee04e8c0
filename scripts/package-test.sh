#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it:
#   scripts/package-test.sh [BUILD_DIR]     (default build-package)
# contents and dependencies (dpkg-deb -c / -I), lintian (no errors), the desktop entry
# (desktop-file-validate), the manual page (man -l without warnings), then installs it with
# dpkg -i and apt-get -f install, runs the installed /usr/bin/folioscope (--version, --pdf of
# the sample report) and removes the package again unless KEEP_INSTALLED=1.
# Needs root (or sudo) for the installation; the build itself needs no network.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
dir=${1:-build-package}
version=$(sed -n 's/^project(Folioscope VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# A release build without tests and benchmarks' extra work: the package holds the program.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --parallel 2 --target folioscope package_files
# The help file, when the tree has a rule that makes it (Ninja builds a file by its path).
if ninja -C "$dir" -t query Folioscope2.chm >/dev/null 2>&1; then
    cmake --build "$dir" --parallel 2 --target Folioscope2.chm
fi
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls -t "$dir"/folioscope_"$version"-*_*.deb | head -n 1)
echo "package: $deb"

# --- contents
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/folioscope ./usr/share/applications/folioscope.desktop \
    ./usr/share/icons/hicolor/scalable/apps/folioscope.svg \
    ./usr/share/man/man1/folioscope.1.gz ./usr/share/doc/folioscope/copyright \
    ./usr/share/doc/folioscope/changelog.Debian.gz; do
    grep -qxF "$path" <<<"$contents" && pass "contains $path" || fail "missing $path"
done
for size in 16 22 24 32 48 64 128 256; do
    path=./usr/share/icons/hicolor/${size}x${size}/apps/folioscope.png
    grep -qxF "$path" <<<"$contents" || fail "missing $path"
done
if [ -f "$dir/Folioscope2.chm" ]; then
    grep -qxF ./usr/share/folioscope/Folioscope2.chm <<<"$contents" &&
        pass "contains the help file" || fail "help file not packaged"
else
    echo "SKIP: no $dir/Folioscope2.chm (the help file is not built in this tree)"
fi
bad=$(dpkg-deb -c "$deb" | awk '$2 != "root/root" {print $6}')
[ -z "$bad" ] && pass "all files owned by root" || fail "not owned by root: $bad"

# --- dependencies
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Every library the program links (as dpkg-shlibdeps should find them), and what it loads
# at run time.
linked=$(for lib in $(objdump -p "$dir/folioscope" | awk '/NEEDED/ {print $2}'); do
    path=$(ldd "$dir/folioscope" | awk -v lib="$lib" '$1 == lib && $3 ~ /^\// {print $3}')
    [ -n "$path" ] || continue # the dynamic loader itself
    { dpkg-query -S "$path" || dpkg-query -S "$(readlink -f "$path")"; } 2>/dev/null |
        head -n 1 | cut -d: -f1
done | sort -u)
for need in $linked fonts-ipafont-mincho fonts-ipafont-gothic cups-client qt6-translations-l10n \
    libqt6svg6; do
    sed 's/, /\n/g; s/ ([^)]*)//g' <<<"$depends" | grep -qxF "$need" && pass "depends on $need" ||
        fail "no dependency on $need"
done
[[ $(dpkg-deb -f "$deb" Version) == "$version"-* ]] && pass "version $version" || fail "version"

# --- lintian: errors fail, warnings are listed (docs/PACKAGING.md says which are kept)
if command -v lintian >/dev/null; then
    lint=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
    [ -n "$lint" ] && echo "$lint"
    grep -q '^E:' <<<"$lint" && fail "lintian reports errors" || pass "lintian: no errors"
else
    fail "lintian is not installed"
fi

# --- desktop entry and manual page, as packaged
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
out=$(desktop-file-validate "$unpacked/usr/share/applications/folioscope.desktop" 2>&1) &&
    [ -z "$out" ] && pass "desktop-file-validate: nothing to report" ||
    fail "desktop-file-validate: $out"
out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l \
    "$unpacked/usr/share/man/man1/folioscope.1.gz" 2>&1 >/dev/null) &&
    [ -z "$out" ] && pass "man -l: no warnings" || fail "man -l: $out"

# --- installation and the installed program
if [ "${SKIP_INSTALL:-0}" = 1 ]; then
    echo "SKIP: installation (SKIP_INSTALL=1)"
else
    # dpkg takes the lock that other package tools may hold for a while.
    for _ in $(seq 60); do
        "${sudo_cmd[@]}" dpkg -i "$deb" >/dev/null 2>&1 && break
        if "${sudo_cmd[@]}" fuser /var/lib/dpkg/lock-frontend >/dev/null 2>&1; then sleep 5; else break; fi
    done
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -f install -y -qq \
        -o DPkg::Lock::Timeout=300 >/dev/null
    [ "${KEEP_INSTALLED:-0}" = 1 ] ||
        trap 'rm -rf "$unpacked"; "${sudo_cmd[@]}" apt-get remove -y -qq -o DPkg::Lock::Timeout=300 folioscope >/dev/null' EXIT
    status=$(dpkg-query -W -f='${Status}' folioscope 2>/dev/null || true)
    [ "$status" = "install ok installed" ] && pass "installed" || fail "not installed: $status"
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/folioscope --version)
    [ "$(head -n 1 <<<"$out")" = "folioscope $version" ] && pass "--version: $(head -n 1 <<<"$out")" ||
        fail "--version: $out"
    # The sample names its figures relative to the checkout: run where examples/ is.
    work=$(mktemp -d)
    cp -r examples "$work/"
    if (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
        /usr/bin/folioscope --pdf out.pdf --frame --page-numbers examples/sample-report.txt \
        2>/dev/null); then
        pages=$(pdfinfo "$work/out.pdf" | awk '/^Pages:/ {print $2}')
        [ "${pages:-0}" -gt 0 ] && pass "installed --pdf: $pages pages" || fail "--pdf: no pages"
    else
        fail "installed --pdf failed"
    fi
    rm -rf "$work"
    if [ -f "$dir/Folioscope2.chm" ]; then
        [ "$(sed -n 2p <<<"$out")" = "help file: /usr/share/folioscope/Folioscope2.chm" ] &&
            pass "the installed program finds its help file" || fail "help file not found: $out"
    else
        echo "SKIP: help file check (no help file in this package)"
    fi
    grep -qx 'text/plain=.*folioscope.desktop.*' /usr/share/applications/mimeinfo.cache 2>/dev/null &&
        pass "offered for text/plain (Open with)" ||
        echo "note: the desktop database has no text/plain entry (update-desktop-database not run)"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "package checks passed"
