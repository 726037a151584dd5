#!/usr/bin/env bash
# The one test command: installs what is missing, builds, starts a private Firebird server, runs every
# test against it and stops it again. Exits with the tests' status.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIDOX_BUILD_DIR:-$root/build}

"$root/tools/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

server_dir=$(mktemp -d "${TMPDIR:-/tmp}/meridox-test-server.XXXXXX")
stop_server() {
  "$root/tools/fbserver" stop "$server_dir" >/dev/null 2>&1 || true
  rm -rf "$server_dir"
}
trap stop_server EXIT
"$root/tools/fbserver" start "$server_dir"
set -a
# shellcheck disable=SC1091
source "$server_dir/server.env"
set +a

cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 900
