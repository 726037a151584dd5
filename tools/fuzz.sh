#!/usr/bin/env bash
# Builds one fuzz target of tests/fuzz with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, and runs it for SECONDS.
#
#   tools/fuzz.sh TARGET SECONDS      e.g. tools/fuzz.sh version_descriptor 300
#
# The seed corpus tests/fuzz/corpus/TARGET is read, never written: new inputs go to
# build-fuzz/corpus/TARGET, and a crashing input to build-fuzz/crashes/TARGET/. Copy a crash into the
# seed corpus once it is mended, so that every test run replays it.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 TARGET SECONDS" >&2; exit 2; }
target=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIDOX_FUZZ_BUILD_DIR:-$root/build-fuzz}
seed=$root/tests/fuzz/corpus/$target
[ -d "$seed" ] || { echo "fuzz.sh: no fuzz target $target (no $seed)" >&2; exit 2; }

"$root/tools/deps.sh" clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMERIDOX_FUZZ=ON
cmake --build "$build" -j "$(nproc)" --target "${target}_fuzzer"

work=$build/corpus/$target
crashes=$build/crashes/$target
mkdir -p "$work" "$crashes"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
exec "$build/tests/fuzz/${target}_fuzzer" -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=20 \
  -artifact_prefix="$crashes/" "$work" "$seed"
