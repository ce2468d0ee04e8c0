#!/usr/bin/env bash
# Builds and runs the libFuzzer harnesses of fuzz/ under AddressSanitizer and
# UndefinedBehaviorSanitizer.
#   scripts/fuzz.sh NAME SECONDS   run fuzz_NAME for SECONDS (NAME "all": each in turn)
#   scripts/fuzz.sh list           the harnesses
# FOLIOSCOPE_FUZZ_CLOCK=cpu counts SECONDS of the harness's own CPU time instead of wall time,
# so that a run on a machine busy with other work still fuzzes for the time asked.
# The corpus grows in build-fuzz/corpus/NAME, seeded from fuzz/corpus/NAME and the third-party
# files of ../shared/testdata; a crash, leak or timeout leaves its input in
# build-fuzz/artifacts/NAME/ and ends with a non-zero status. Copy such inputs to
# tests/data/fuzz-regressions/ (they then run in the ordinary suite).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$(realpath -m "${FOLIOSCOPE_FUZZ_BUILD:-build-fuzz}") # absolute: a harness may change folder
shared=${FOLIOSCOPE_SHARED_TESTDATA:-$root/../shared/testdata}

harnesses() {
    for f in fuzz/fuzz_*.cpp; do basename "$f" .cpp | sed 's/^fuzz_//'; done
}

# Third-party seed folders for one harness (only those present).
shared_seeds() {
    local dirs=()
    case $1 in
    EmfFile) dirs=(emf emf-corrupt) ;;
    WmfFile) dirs=(wmf) ;;
    BmpFile) dirs=(bmp) ;;
    JpegFile) dirs=(jpeg) ;;
    Layout | TextLine) dirs=(sjis) ;;
    esac
    for d in "${dirs[@]}"; do [ -d "$shared/$d" ] && echo "$shared/$d"; done
    return 0
}

configure() {
    [ -f "$build/build.ninja" ] && return 0
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DFOLIOSCOPE_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
}

run_one() {
    local name=$1 seconds=$2
    cmake --build "$build" --parallel "$(nproc)" --target "fuzz_$name"
    mkdir -p "$build/corpus/$name" "$build/artifacts/$name"
    local seeds=("$build/corpus/$name")
    [ -d "fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
    while read -r d; do [ -n "$d" ] && seeds+=("$d"); done < <(shared_seeds "$name")
    # Report lines are short: longer inputs only slow the text harnesses down.
    local limits=()
    case $name in
    Layout) limits=(-max_len=16384) ;;
    TextLine) limits=(-max_len=2048) ;;
    esac
    local clock=${FOLIOSCOPE_FUZZ_CLOCK:-wall} wall=$seconds
    local timeout=20
    if [ "$clock" = cpu ]; then
        wall=$((seconds * 20)) # a bound, should the machine be starved
        timeout=60             # libFuzzer's timeout is wall time, which a busy machine stretches
    fi
    echo "== fuzz_$name for ${seconds}s ($clock clock)"
    # detect_leaks: the harnesses run with leak detection; fontconfig's start-up caches are
    # suppressed in the same file as for the test suite.
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1} \
    LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0} \
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    QT_QPA_PLATFORM=offscreen \
        "$build/fuzz/fuzz_$name" -max_total_time="$wall" -timeout="$timeout" -rss_limit_mb=2560 \
        -dict="$root/fuzz/folioscope.dict" -print_final_stats=1 "${limits[@]}" \
        -artifact_prefix="$build/artifacts/$name/" "${seeds[@]}" &
    local pid=$! status=0
    [ "$clock" = cpu ] && stop_at_cpu_seconds "$pid" "$seconds" &
    wait "$pid" || status=$?
    # 72 is libFuzzer's status when interrupted: here, the CPU time was used up.
    [ "$clock" = cpu ] && [ $status -eq 72 ] && status=0
    return $status
}

# Interrupts pid (libFuzzer then prints its final statistics) once it has used seconds of CPU.
stop_at_cpu_seconds() {
    local pid=$1 seconds=$2 ticks
    ticks=$(getconf CLK_TCK)
    while kill -0 "$pid" 2>/dev/null; do
        # Fields 14 and 15 of /proc/PID/stat: user and system time in clock ticks. The command
        # name (field 2) has no spaces here.
        read -r -a stat <"/proc/$pid/stat" || return 0
        if (((stat[13] + stat[14]) / ticks >= seconds)); then
            kill -INT "$pid" 2>/dev/null
            return 0
        fi
        sleep 5
    done
}

case "${1:-}" in
list)
    harnesses
    ;;
all)
    configure
    status=0
    for name in $(harnesses); do run_one "$name" "${2:?seconds}" || status=1; done
    exit $status
    ;;
"" | -*)
    echo "usage: $0 NAME|all SECONDS | list" >&2
    exit 2
    ;;
*)
    configure
    run_one "$1" "${2:?seconds}"
    ;;
esac
