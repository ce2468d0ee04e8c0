#!/usr/bin/env bash
# Folioscope developer entry point.
#   ./dev.sh run [FILE]   install what is missing, build, open FILE (default: the sample report)
#   ./dev.sh test         install what is missing, build, run every test
#   ./dev.sh build        build only (build/)
#   ./dev.sh package      build the Debian package, check it, install and try it, remove it
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

# build DIR [TARGET] [CMAKE OPTIONS...]
build() {
    local dir=$1 target=${2:-all}
    shift 2 || shift $#
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)" --target "$target"
}

case "${1:-}" in
run)
    scripts/install-deps.sh
    build build
    shift
    exec build/folioscope "${@:-examples/sample-report.txt}"
    ;;
test)
    scripts/install-deps.sh
    build build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
    scripts/test-skips.sh build
    # The file readers run again under AddressSanitizer and UndefinedBehaviorSanitizer.
    build build-asan sanitized_tests -DFOLIOSCOPE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen \
        ctest --test-dir build-asan --output-on-failure -j "$(nproc)" -L sanitize --no-tests=ignore
    ;;
build)
    build build
    ;;
package)
    scripts/install-deps.sh
    exec scripts/package-test.sh
    ;;
*)
    echo "usage: $0 run [FILE] | test | build | package" >&2
    exit 2
    ;;
esac
