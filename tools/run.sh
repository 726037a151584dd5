#!/usr/bin/env bash
# Builds meridox_sec and runs it against a local Firebird server whose data stays in run/ of the
# checkout between runs. The server stops when the program ends. The build runs a job per core;
# CMAKE_BUILD_PARALLEL_LEVEL (as cmake reads it) sets another number of jobs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIDOX_BUILD_DIR:-$root/build}

"$root/tools/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" --target meridox_sec upgrade
# The HTML templates the console's "Generuj HTML" offers live in SQL/Wzorce beside the program.
mkdir -p "$build/bin/SQL/Wzorce"
cp "$root"/resources/SQL/Wzorce/*.htm "$build/bin/SQL/Wzorce/"

server_dir="$root/run/fbserver"
mkdir -p "$server_dir"
trap '"$root/tools/fbserver" stop "$server_dir" >/dev/null 2>&1 || true' EXIT
"$root/tools/fbserver" start "$server_dir" >/dev/null
# shellcheck disable=SC1091
source "$server_dir/server.env"

ini="$build/bin/meridox_sec.ini"
if [ ! -f "$ini" ]; then
  printf '[LAST_SERVER]\r\nSERVER=%s\r\n' "$MERIDOX_TEST_SERVER" >"$ini"
fi

# The alias meridox_sec names this file; until "Utwórz nową bazę" creates it, "Połącz" cannot open it.
if [ -f "$MERIDOX_TEST_DATADIR/meridox_sec.fdb" ]; then
  next='then press "Połącz".'
else
  next='then press "Utwórz nową bazę": the server has no security database yet. After that press "Połącz".'
fi
cat <<TXT
Firebird server: $MERIDOX_TEST_SERVER
User:            SYSDBA
Password:        $MERIDOX_TEST_PASSWORD
Type these into "Serwer:", "Użytkownik:" and "Hasło:", $next
TXT
"$build/bin/meridox_sec"
