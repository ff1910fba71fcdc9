#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (GUI tests under Xvfb), twice:
#   1. g++ Release build in build/;
#   2. clang build with AddressSanitizer + UndefinedBehaviorSanitizer in build-sanitized/,
#      which also builds the libFuzzer targets of fuzz/ and runs each for FUZZ_SECONDS;
# then the tests of the MIDI input threads (MIDI cells, their callback registry and the
# stress test) once more in a clang ThreadSanitizer build in build-tsan/.
# A failing test, a sanitizer finding (memory error, undefined behaviour, leak, data race,
# deadlock), or a fuzzer crash, leak or timeout fails the run. Every stage runs; the
# summary at the end names the ones that failed.
#
# Variables: FUZZ_SECONDS (default 60) is the time per fuzz target, 0 skips fuzzing;
# FUZZ_TIMEOUT (default 10) is the longest one fuzz input may take, in seconds.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
FUZZ_TIMEOUT="${FUZZ_TIMEOUT:-10}"
XVFB=(xvfb-run -a -s "-screen 0 1920x1080x24")

install_packages

cd "$WIRELACE_ROOT"
failed=()
started=$SECONDS

# stage NAME COMMAND...: runs one stage and records its failure; the run goes on.
stage()
{
    local name="$1"
    shift
    local begin=$SECONDS
    echo "=== $name"
    if "$@"; then
        echo "=== $name: passed ($((SECONDS - begin)) s)"
        return 0
    fi
    echo "=== $name: FAILED ($((SECONDS - begin)) s)"
    failed+=("$name")
    return 1
}

run_suite()
{
    local folder="$1"
    (cd "$folder" && "${XVFB[@]}" ctest --output-on-failure --parallel "$(nproc)")
}

#-------------------------------------------------------------------------------
# 1. The plain Release build.
mkdir -p build
if stage "release build" build_folder "$WIRELACE_ROOT/build"; then
    stage "release tests" run_suite "$WIRELACE_ROOT/build" || true
fi

#-------------------------------------------------------------------------------
# 2. The sanitized build: one instrumented core library for the tests and the fuzzers.
sanitized="$WIRELACE_ROOT/build-sanitized"
mkdir -p "$sanitized"

# Every finding stops the process with a failing exit code; leaks are reported at exit.
# The only suppressions are for leaks inside third-party libraries (see the file).
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:report_error_type=1"
export LSAN_OPTIONS="suppressions=$WIRELACE_ROOT/fuzz/lsan.supp:print_suppressions=0"
if command -v llvm-symbolizer > /dev/null; then
    export ASAN_SYMBOLIZER_PATH="$(command -v llvm-symbolizer)"
fi

sanitized_built=0
if stage "sanitized build" build_folder "$sanitized" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DWIRELACE_SANITIZE=ON -DWIRELACE_BUILD_BENCH=OFF
then
    sanitized_built=1
    stage "sanitized tests" run_suite "$sanitized" || true
fi

#-------------------------------------------------------------------------------
# 3. Fuzzing: each target for FUZZ_SECONDS, starting from its seeds in fuzz/corpus/<target>/
#    and tests/data/, and from what earlier runs found; new inputs go to
#    build-sanitized/fuzz-corpus/<target>/, findings to build-sanitized/fuzz-artifacts/.
#    See fuzz/README.md.
fuzz_target()
{
    local target="$1"
    local binary="$sanitized/fuzz/$target"
    local corpus="$sanitized/fuzz-corpus/$target"
    local artifacts="$sanitized/fuzz-artifacts"
    local log="$sanitized/fuzz-$target.log"
    local seeds=()

    mkdir -p "$corpus" "$artifacts"
    [ -d "$WIRELACE_ROOT/fuzz/corpus/$target" ] && seeds+=("$WIRELACE_ROOT/fuzz/corpus/$target")
    # The files the tests read are seeds for every target too.
    [ -n "$(ls -A "$WIRELACE_ROOT/tests/data" 2>/dev/null)" ] && seeds+=("$WIRELACE_ROOT/tests/data")

    # The outer timeout only guards against a hang outside the inputs (start-up, exit).
    if timeout --kill-after=10 $((FUZZ_SECONDS + 180)) "${XVFB[@]}" "$binary" \
        -max_total_time="$FUZZ_SECONDS" \
        -timeout="$FUZZ_TIMEOUT" \
        -rss_limit_mb=2048 \
        -max_len=65536 \
        -dict="$WIRELACE_ROOT/fuzz/mappings.dict" \
        -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" \
        "$corpus" "${seeds[@]}" > "$log" 2>&1
    then
        echo "$target: $(grep -m1 -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') runs in ${FUZZ_SECONDS} s, corpus $(ls "$corpus" | wc -l) files"
    else
        echo "$target: FAILED (log: $log)"
        if grep -q -E "==ERROR|ERROR: libFuzzer|runtime error" "$log"; then
            grep -E -A80 "==ERROR|ERROR: libFuzzer|runtime error" "$log" | head -n 160
        else
            tail -n 60 "$log"
        fi
        return 1
    fi
}

if [ "$sanitized_built" -eq 1 ] && [ "$FUZZ_SECONDS" -gt 0 ]; then
    for binary in "$sanitized"/fuzz/*; do
        [ -x "$binary" ] && [ -f "$binary" ] || continue
        stage "fuzz $(basename "$binary")" fuzz_target "$(basename "$binary")" || true
    done
fi

#-------------------------------------------------------------------------------
# 4. ThreadSanitizer: the core and the tests built with -fsanitize=thread (no benchmarks, no
#    fuzz targets), running the tests in which MIDI input threads call the cells while the
#    message thread works. Any report (data race, lock-order inversion, use after free)
#    stops the run with a failing exit code.
tsan="$WIRELACE_ROOT/build-tsan"
mkdir -p "$tsan"
TSAN_TESTS="MidiCellStress*:MidiCallbackRegistry*:InputMidiCell*:OutputMappingMidiCell*"

run_tsan_tests()
{
    # On kernels that randomise addresses with more bits than clang 14's ThreadSanitizer expects
    # (vm.mmap_rnd_bits 32), it stops with "unexpected memory mapping"; setarch -R turns the
    # randomisation off for the test process.
    # A deadlock would otherwise hang the run: give it ten minutes, far above the seconds it takes.
    (cd "$tsan" && TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" \
        timeout 600 "${XVFB[@]}" setarch "$(uname -m)" -R ./wirelace_tests --gtest_filter="$TSAN_TESTS")
}

if stage "tsan build" build_folder "$tsan" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DWIRELACE_TSAN=ON -DWIRELACE_BUILD_BENCH=OFF
then
    stage "tsan tests" run_tsan_tests || true
fi

#-------------------------------------------------------------------------------
echo
echo "Total time: $((SECONDS - started)) s"
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All stages passed."
