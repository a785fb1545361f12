#!/usr/bin/env bash
# The checks of the sanitizer run: builds the project again with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (every report fatal, leaks too) and the fuzz targets, in a build folder of its own,
# runs the whole test suite under the sanitizers, then every fuzz target over its corpus and on new inputs for a
# short, fixed time.
# Usage: tools/run-checks.sh [build-dir]   (default: build-asan; FUZZ_SECONDS=25 per target)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build-asan"}
# The suppressions of tools/lsan.supp name functions as well as libraries, so a leak's stack must be symbolized:
# with the symbolizer of clang 14 itself (package llvm-14), which a fresh Debian has under this name only.
symbolizer=/usr/lib/llvm-14/bin/llvm-symbolizer
[ -x "$symbolizer" ] || { echo "run-checks.sh: $symbolizer is missing (package llvm-14; tools/setup.sh installs it)" >&2; exit 1; }

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_COMPILER=clang++ -DTARLO_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

# intercept_tls_get_addr=0: clang 14's runtime takes some dynamic TLS blocks of glibc 2.36 (those of the Firebird
# engine, which is loaded with dlopen) for glibc 2.19 headers and registers garbage ranges for them; when such a
# thread is still alive at exit, the leak check's tracer faults on the range ("Tracer caught signal 11", "LeakSanitizer
# has encountered a fatal error") after the test itself passed. Without the interception only the dynamic TLS of
# loaded libraries goes unscanned; our own code's TLS is static and still scanned.
export ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0:external_symbolizer_path=$symbolizer
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:external_symbolizer_path=$symbolizer
export LSAN_OPTIONS=suppressions=$here/tools/lsan.supp:print_suppressions=0
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 600)

"$here/fuzz/run.sh" "$build" "${FUZZ_SECONDS:-25}"
