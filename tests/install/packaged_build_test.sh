#!/usr/bin/env bash
# The build a packager makes: a clean build folder with the tests off, on a machine where the test
# packages (GoogleTest, Google Benchmark, sqlite) might be missing, built and installed stripped into
# a temporary prefix. Only the two programs are built and installed, without symbols, and the
# installed meridox_sec shows its main window offscreen until the session ends it.
# Usage: packaged_build_test.sh SOURCE_ROOT BUILD_FOLDER [CMAKE [GENERATOR]]
# BUILD_FOLDER is emptied first and removed after; the prefix and the program's run lie in a
# temporary folder. ccache is used when it is there.
set -euo pipefail
usage="usage: packaged_build_test.sh SOURCE_ROOT BUILD_FOLDER [CMAKE [GENERATOR]]"
source_root=${1:?$usage}
build=${2:?$usage}
cmake=${3:-cmake}
generator=${4:-Ninja}

fail() {
  echo "FAIL: $*"
  exit 1
}

rm -rf "$build"
work=$(cd "$(mktemp -d "${TMPDIR:-/tmp}/packaged-build.XXXXXX")" && pwd -P)
pid=
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  rm -rf "$work" "$build"
}
trap cleanup EXIT
prefix=$work/prefix
program_folder=$prefix/lib/meridox_sec

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Asking for a test package would stop the configuration here.
"$cmake" -S "$source_root" -B "$build" -G "$generator" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_SQLite3=ON "${launcher[@]}" >"$work/configure.log" 2>&1 ||
  fail "configuring with the tests off: $(tail -20 "$work/configure.log")"
"$cmake" --build "$build" -j "$(nproc)" >"$work/build.log" 2>&1 || fail "building: $(tail -20 "$work/build.log")"
"$cmake" --install "$build" --prefix "$prefix" --strip >"$work/install.log" 2>&1 ||
  fail "installing: $(tail -20 "$work/install.log")"

# Nothing of the tests' side was built: no test, benchmark, fuzz or screenshot program, no test list.
[ ! -e "$build/CTestTestfile.cmake" ] || fail "the build has a test list"
built=$(find "$build" -type f \( -name '*_tests' -o -name '*_replay' -o -name '*_bench' -o -name '*_fuzzer' \
  -o -name 'libmeridox_shots.so' -o -name 'libtest_*.a' -o -name '*test_support*.a' \) | sed "s|^$build/||")
[ -z "$built" ] || fail "built for the tests: $built"

# The prefix holds the two programs, their templates, menu entries and icons, nothing else.
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | grep -v '^lib/meridox_sec/SQL/Wzorce/[^/]*\.htm$' | sort)
expected="lib/meridox_sec/meridox_sec
lib/meridox_sec/upgrade
share/applications/meridox_sec-upgrade.desktop
share/applications/meridox_sec.desktop
share/icons/hicolor/48x48/apps/meridox_sec-upgrade.png
share/icons/hicolor/48x48/apps/meridox_sec.png
share/icons/hicolor/scalable/apps/meridox_sec-upgrade.svg
share/icons/hicolor/scalable/apps/meridox_sec.svg"
[ "$installed" = "$expected" ] || fail "installed files differ from the expected ones: $installed"
ls "$program_folder"/SQL/Wzorce/*.htm >/dev/null 2>&1 || fail "no HTML template installed"

# The build's programs carry symbols and debugging data; the installed ones neither.
sections() { readelf -S -W "$1" | grep -o ' \.\(symtab\|debug_info\) ' | sort -u | tr -d ' ' | tr '\n' ' '; }
for program in meridox_sec upgrade; do
  [ "$(sections "$build/bin/$program")" = ".debug_info .symtab " ] || fail "the built $program has no symbols to strip"
  [ -z "$(sections "$program_folder/$program")" ] || fail "the installed $program is not stripped"
done

# The installed program, started offscreen, holds its main window until the session ends it; its
# main window then writes "meridox_sec.ini" beside it, and nothing else is written anywhere.
mkdir -p "$work/config" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
(cd "$work/home" && exec env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" HOME="$work/home" \
  XDG_RUNTIME_DIR="$work/runtime" "$program_folder/meridox_sec" >"$work/run.log" 2>&1) &
pid=$!
# The program catches SIGTERM once it is up (the kernel lists the caught signals as a hexadecimal mask).
catches_sigterm() {
  local mask
  mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null)
  [ -n "$mask" ] && (((0x$mask >> 14) & 1))
}
for _ in $(seq 300); do
  catches_sigterm && break
  kill -0 "$pid" 2>/dev/null || fail "meridox_sec ended by itself: $(cat "$work/run.log")"
  sleep 0.1
done
catches_sigterm || fail "meridox_sec did not come up in 30 seconds: $(cat "$work/run.log")"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "meridox_sec ended by itself: $(cat "$work/run.log")"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "meridox_sec exited with $status after SIGTERM: $(cat "$work/run.log")"
grep -q '^\[GROUPS\]'$'\r''$' "$program_folder/meridox_sec.ini" ||
  fail "the main window wrote no meridox_sec.ini: $(cat "$program_folder/meridox_sec.ini" 2>/dev/null)"
after=$(cd "$work" && find prefix config home runtime -type f | grep -v '^prefix/lib/meridox_sec/SQL/Wzorce/[^/]*\.htm$' |
  sed 's|^prefix/||' | sort)
expected_after=$(printf '%s\nlib/meridox_sec/meridox_sec.ini' "$expected" | sort)
[ "$after" = "$expected_after" ] || fail "meridox_sec wrote more than its .ini: $after"
echo "PASS"
