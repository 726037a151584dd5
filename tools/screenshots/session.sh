# Sourced by the scripts that run the real programs on an X display of their own. `start_session NAME`
# makes a work folder ($work), starts Xvfb on a display number the server picks itself (so that runs
# side by side never share one), the window manager openbox in its system configuration and a private
# Firebird server, and sets DISPLAY, MERIDOX_WM_CONFIG (the openbox configuration in use, from which
# the screenshot driver reads the title bar's font and buttons) and the server's MERIDOX_TEST_*
# variables. Whatever the script starts besides goes into `session_pids`; all of it ends, and the work
# folder goes, when the script exits.
session_tools=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
session_pids=()

end_session() {
  local pid
  for pid in "${session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$session_tools/fbserver" stop "$work/fbserver" >/dev/null 2>&1 || true
  rm -rf "$work"
}

# The openbox configuration openbox itself would read for a user without one of their own.
wm_config() {
  local dir dirs
  IFS=: read -ra dirs <<<"${XDG_CONFIG_DIRS:-/etc/xdg}"
  for dir in "${dirs[@]}"; do
    [ -f "$dir/openbox/rc.xml" ] && echo "$dir/openbox/rc.xml" && return 0
  done
  echo "session.sh: no openbox configuration (openbox/rc.xml) in ${XDG_CONFIG_DIRS:-/etc/xdg}" >&2
  return 1
}

start_display() {
  MERIDOX_WM_CONFIG=$(wm_config) || return 1
  export MERIDOX_WM_CONFIG
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  session_pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  if [ ! -s "$work/display" ]; then
    echo "session.sh: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    return 1
  fi
  DISPLAY=":$(head -n 1 "$work/display")"
  export DISPLAY
  mkdir -p "$work/wm-home"
  HOME="$work/wm-home" openbox --sm-disable --config-file "$MERIDOX_WM_CONFIG" >"$work/openbox.log" 2>&1 &
  session_pids+=($!)
  # Windows mapped before the window manager runs would get no frame.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  echo "session.sh: openbox did not start:" >&2
  cat "$work/openbox.log" >&2
  return 1
}

start_session() {
  work=$(cd "$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")" && pwd -P)
  trap end_session EXIT
  start_display || return 1
  mkdir -p "$work/fbserver"
  if ! "$session_tools/fbserver" start "$work/fbserver" >/dev/null; then
    echo "session.sh: the private Firebird server did not start" >&2
    return 1
  fi
  # shellcheck disable=SC1091
  source "$work/fbserver/server.env"
}
