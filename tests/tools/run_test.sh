#!/usr/bin/env bash
# tools/run.sh as a person meets it, twice: the first run tells them to create the security database
# before "Połącz", a later run (the database made in between, as "Utwórz nową bazę" makes it) only
# to connect. The first builds with a job per core, the second with the jobs CMAKE_BUILD_PARALLEL_LEVEL
# names. The copy runs in a checkout of its own, with the installation and the build stubbed
# out and the program replaced by a stand-in; its server is the real private one.
set -euo pipefail
source_root=${1:?usage: run_test.sh SOURCE_ROOT}
isql=$(command -v isql-fb) || { echo "FAIL: isql-fb not found"; exit 1; }
unset FIREBIRD FIREBIRD_LOCK FIREBIRD_TMP

work=$(cd "$(mktemp -d "${TMPDIR:-/tmp}/run-test.XXXXXX")" && pwd -P)
cleanup() {
  "$work/tools/fbserver" stop "$work/run/fbserver" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

mkdir -p "$work/tools" "$work/resources/SQL/Wzorce" "$work/build/bin" "$work/stubs"
cp "$source_root/tools/run.sh" "$source_root/tools/fbserver" "$work/tools/"
chmod +x "$work/tools/run.sh" "$work/tools/fbserver"
cp "$source_root"/resources/SQL/Wzorce/*.htm "$work/resources/SQL/Wzorce/"
printf '#!/bin/sh\nexit 0\n' >"$work/tools/deps.sh"
# The stand-in for cmake notes how it was called.
printf '#!/bin/sh\necho "$*" >>"%s/cmake.calls"\n' "$work" >"$work/stubs/cmake"
# The stand-in creates the security database when asked to, as "Utwórz nową bazę" does.
cat >"$work/build/bin/meridox_sec" <<STUB
#!/usr/bin/env bash
set -euo pipefail
source "$work/run/fbserver/server.env"
[ -z "\${CREATE_DATABASE:-}" ] && exit 0
echo "create database '\$MERIDOX_TEST_SERVER:meridox_sec' user 'SYSDBA' password '\$MERIDOX_TEST_PASSWORD';" |
  "$isql" -q -b >/dev/null
STUB
chmod +x "$work/tools/deps.sh" "$work/stubs/cmake" "$work/build/bin/meridox_sec"

run() {
  PATH="$work/stubs:$PATH" MERIDOX_BUILD_DIR="$work/build" "$work/tools/run.sh" 2>&1
}
unset CMAKE_BUILD_PARALLEL_LEVEL

# The jobs of the build the last run started.
build_jobs() {
  sed -n 's/^--build .* -j \([^ ]*\) .*/\1/p' "$work/cmake.calls" | tail -n 1
}

first=$(CREATE_DATABASE=1 run) || fail "first run failed: $first"
grep -q '^Firebird server: 127\.0\.0\.1/[0-9]*$' <<<"$first" || fail "first run names no server: $first"
grep -q 'press "Utwórz nową bazę": the server has no security database yet. After that press "Połącz".' \
  <<<"$first" || fail "first run does not send the person to \"Utwórz nową bazę\": $first"
server=$(sed -n 's/^Firebird server: //p' <<<"$first")
grep -q "^SERVER=$server"$'\r'"\$" "$work/build/bin/meridox_sec.ini" || fail "the .ini names no server"
[ -f "$work/build/bin/SQL/Wzorce/$(basename "$(ls "$work"/resources/SQL/Wzorce/*.htm | head -1)")" ] ||
  fail "the templates were not copied"

[ "$(build_jobs)" = "$(nproc)" ] || fail "the first run built with $(build_jobs) jobs, not one per core"

second=$(CMAKE_BUILD_PARALLEL_LEVEL=2 run) || fail "second run failed: $second"
[ "$(build_jobs)" = 2 ] || fail "CMAKE_BUILD_PARALLEL_LEVEL=2 built with $(build_jobs) jobs"
grep -q '"Hasło:", then press "Połącz".$' <<<"$second" || fail "second run does not say to connect: $second"
grep -q 'Utwórz nową bazę' <<<"$second" && fail "second run still asks for a new database: $second"
echo "run.sh: first and later runs tell the person the right step"
