#!/usr/bin/env bash
# The real meridox_sec on an X display (Xvfb) with a window manager (openbox), where a box sized
# only offscreen came out cut: "Połącz" on a private server that has no security database yet brings
# the error box, the program's title over "Błąd otwarcia pliku.". The screenshot driver reads the
# box's width with its frame from the X server once the toolkit and the window manager have sized
# it, and checks it against the caption in the title font of openbox's configuration and the title
# bar's buttons.
set -euo pipefail
usage="usage: message_box_display_test.sh SOURCE_ROOT MERIDOX_SEC PLUGIN_DIR"
source_root=${1:?$usage}
program=${2:?$usage}
plugins=${3:?$usage}
# Clients use the installed client configuration, never an instance's root.
unset FIREBIRD FIREBIRD_LOCK FIREBIRD_TMP
# In a sanitized build: libxkbcommon-x11 rightly copies the X server's names, which end without a NUL,
# with strndup; strict string checks would report that as reading past them.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS=${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}
fi

fail() {
  echo "FAIL: $*"
  exit 1
}

# shellcheck source=tools/screenshots/session.sh
source "$source_root/tools/screenshots/session.sh"
start_session box-display-test || fail "no X display with a window manager and a Firebird server"

# The program runs from a folder of its own, as installed: it writes its .ini there.
mkdir -p "$work/inst" "$work/shots" "$work/config" "$work/home"
cp "$program" "$work/inst/"
status=0
env QT_QPA_PLATFORM=xcb QT_PLUGIN_PATH="$plugins" QT_QPA_GENERIC_PLUGINS=meridoxshots \
  MERIDOX_SHOT_SCENARIO=message-boxes MERIDOX_SHOT_DIR="$work/shots" \
  MERIDOX_SHOT_SERVER="$MERIDOX_TEST_SERVER" MERIDOX_SHOT_PASSWORD="$MERIDOX_TEST_PASSWORD" \
  XDG_CONFIG_HOME="$work/config" HOME="$work/home" \
  timeout 300 "$work/inst/$(basename "$program")" >"$work/program.log" 2>&1 || status=$?
outcome=$(cat "$work/shots/meridox_sec.log" 2>/dev/null || echo "no outcome written")
[ "$outcome" = ok ] || fail "$outcome"$'\n'"$(cat "$work/program.log")"
[ "$status" -eq 0 ] || fail "meridox_sec ended with status $status:"$'\n'"$(cat "$work/program.log")"
grep 'caption needs' "$work/program.log"
echo "message boxes show their whole caption on a real display"
