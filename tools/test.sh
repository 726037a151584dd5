#!/usr/bin/env bash
# The one test command: installs what is missing, builds, starts a private Firebird server, runs every
# test against it and stops it again. Exits with the tests' status, or 1 when a C++ file differs from
# .clang-format (the files are listed after the tests).
#
#   tools/test.sh              the ordinary build in build/
#   tools/test.sh --sanitize   everything built with AddressSanitizer and UndefinedBehaviorSanitizer in
#                              build-sanitize/; any report fails the test that caused it
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIDOX_BUILD_DIR:-$root/build}
config=()
ctest_args=()
if [ "${1:-}" = "--sanitize" ]; then
  build=${MERIDOX_BUILD_DIR:-$root/build-sanitize}
  config=(-DMERIDOX_SANITIZE=ON)
  # The packager's build has no sanitizers either way: the ordinary run tests it.
  ctest_args=(-LE packaging)
  export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:strict_string_checks=1}
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--sanitize]" >&2
  exit 2
fi

"$root/tools/deps.sh"
# Checked first but reported last, so that a formatting slip does not hide the tests' results.
format_status=0
format_report=$("$root/tools/check-format.sh" 2>&1) || format_status=$?
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${config[@]}"
cmake --build "$build" -j "$(nproc)"

server_dir=$(mktemp -d "${TMPDIR:-/tmp}/meridox-test-server.XXXXXX")
stop_server() {
  "$root/tools/fbserver" stop "$server_dir" >/dev/null 2>&1 || true
  rm -rf "$server_dir"
}
trap stop_server EXIT
# The throw-away password stays out of the log; the tests read it from server.env.
"$root/tools/fbserver" start "$server_dir" >/dev/null
set -a
# shellcheck disable=SC1091
source "$server_dir/server.env"
set +a
echo "test server: $MERIDOX_TEST_SERVER"

cd "$build"
test_status=0
ctest --output-on-failure -j "$(nproc)" --timeout 900 "${ctest_args[@]}" || test_status=$?
if [ "$format_status" -ne 0 ]; then
  echo "$format_report" >&2
  [ "$test_status" -ne 0 ] || test_status=$format_status
fi
exit "$test_status"
