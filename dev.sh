#!/usr/bin/env bash
# Folioscope developer entry point.
#   ./dev.sh run [FILE]   install what is missing, build, open FILE (default: the sample report)
#   ./dev.sh test         install what is missing, build, run every test (the suite and the
#                         end-to-end layer in a real X server)
#   ./dev.sh check        what CI runs: test, then the suite again under ASan/UBSan with leak
#                         detection, each fuzz harness 30 s, and the Debian package
#   ./dev.sh build        build only (build/)
#   ./dev.sh package      build the Debian package, check it, install and try it, remove it
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

# A compiler cache (the install script brings it): paths are taken relative to the checkout, so
# every clone on the machine shares its objects.
use_ccache() {
    if command -v ccache >/dev/null 2>&1; then
        export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
    fi
}

# build DIR [TARGET] [CMAKE OPTIONS...]
build() {
    local dir=$1 target=${2:-all}
    shift 2 || shift $#
    use_ccache
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)" --target "$target"
}

quick_test() {
    scripts/install-deps.sh
    build build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
    scripts/test-skips.sh build
}

case "${1:-}" in
run)
    scripts/install-deps.sh
    build build
    shift
    exec build/folioscope "${@:-examples/sample-report.txt}"
    ;;
test)
    quick_test
    ;;
check)
    quick_test
    # The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, with leak
    # detection; scripts/lsan.supp names the libraries' own start-up allocations (fontconfig).
    build build-asan all -DFOLIOSCOPE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0" \
        QT_QPA_PLATFORM=offscreen \
        ctest --test-dir build-asan --output-on-failure -j "$(nproc)" -LE e2e
    # Each fuzz harness for a while (FOLIOSCOPE_FUZZ_SECONDS, 30 by default; 0 skips).
    seconds=${FOLIOSCOPE_FUZZ_SECONDS:-30}
    if [ "$seconds" -gt 0 ]; then
        scripts/fuzz.sh all "$seconds"
    fi
    scripts/package-test.sh build-package
    ;;
build)
    use_ccache
    build build
    ;;
package)
    scripts/install-deps.sh
    use_ccache
    exec scripts/package-test.sh
    ;;
*)
    echo "usage: $0 run [FILE] | test | check | build | package" >&2
    exit 2
    ;;
esac
