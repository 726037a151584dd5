#!/usr/bin/env bash
# Takes the pictures in docs/ from the real programs, run under Xvfb with a window manager: a
# private Firebird server, a security database created as "Utwórz nową bazę" creates it, users
# added through "Nowy użytkownik", and an update package served by a slow local HTTP server. The
# driver plugin of tools/screenshots walks each program through its windows, checks the caption
# the X server shows for every window and message box, that every message box is wide enough for
# its title bar to show the whole caption, and the Polish standard texts, and takes the pictures. Usage: tools/screenshots.sh [OUTPUT_FOLDER]   (default: docs/ of the checkout)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIDOX_BUILD_DIR:-$root/build}
out=$(mkdir -p "${1:-$root/docs}" && cd "${1:-$root/docs}" && pwd)

"$root/tools/deps.sh" python3
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 6 --target meridox_sec upgrade mkupg meridox_shots

# shellcheck source=tools/screenshots/session.sh
source "$root/tools/screenshots/session.sh"
start_session meridox-shots

# The programs run from a folder of their own, as installed: meridox_sec writes its .ini there and
# upgrade replaces it there.
inst="$work/inst"
mkdir -p "$inst" "$work/shots" "$work/config/meridox" "$work/web/meridox_sec"
cp "$build/bin/meridox_sec" "$build/bin/upgrade" "$inst/"
cp -r "$root/resources/SQL" "$inst/"

run() {
  env QT_QPA_PLATFORM=xcb QT_PLUGIN_PATH="$build/plugins" QT_QPA_GENERIC_PLUGINS=meridoxshots \
    MERIDOX_SHOT_DIR="$work/shots" XDG_CONFIG_HOME="$work/config" HOME="$work/home" "$@"
}
check() {
  if [ "$(cat "$work/shots/$1.log" 2>/dev/null)" != "ok" ]; then
    echo "screenshots: $1 did not go through:" >&2
    cat "$work/shots/$1.log" >&2 2>/dev/null || echo "(no log)" >&2
    exit 1
  fi
}

run MERIDOX_SHOT_SERVER="$MERIDOX_TEST_SERVER" MERIDOX_SHOT_PASSWORD="$MERIDOX_TEST_PASSWORD" \
  timeout 600 "$inst/meridox_sec" || true
check meridox_sec

# A package one minor version above the build, served slowly enough to show the download.
read -r major minor < <(sed -n 's/^project(meridox_sec VERSION \([0-9]*\)\.\([0-9]*\).*/\1 \2/p' "$root/CMakeLists.txt")
newer="$major.$((minor + 1))"
"$build/bin/mkupg" --version "$newer.0.0" "$work/web/meridox_sec/meridox_sec.upg" "$inst/meridox_sec=meridox_sec" >/dev/null
cat >"$work/serve.py" <<'PY'
import functools, http.server, sys, time

class Slow(http.server.SimpleHTTPRequestHandler):
    def copyfile(self, source, target):
        data = source.read()
        step = max(1, len(data) // 60) if self.path.endswith(".upg") else len(data) or 1
        for at in range(0, len(data), step):
            target.write(data[at:at + step])
            target.flush()
            if step < len(data):
                time.sleep(0.1)

    def log_message(self, *args):
        pass

server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Slow, directory=sys.argv[1]))
with open(sys.argv[2], "w") as port:
    port.write(str(server.server_address[1]))
server.serve_forever()
PY
python3 "$work/serve.py" "$work/web" "$work/port" &
session_pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
url="http://127.0.0.1:$(cat "$work/port")/meridox_sec/"
printf 'P\t%s\t%smeridox_sec.upg\r\n' "$newer" "$url" >"$work/web/meridox_sec/meridox_sec.ver"
# The registry value upgrade reads for the update server. Without the install folder value it
# takes "meridox_sec" in the folder it runs in, as it does when started from its menu entry.
printf '[Software]\nHalvek\\Meridox_sec%%201\\Serwer%%20aktualizacji=%s\n' "$url" \
  >"$work/config/meridox/HKEY_CURRENT_USER.ini"

(cd "$inst" && run timeout 600 ./upgrade) || true
check upgrade

for picture in main-window nowy-uzytkownik zmiana-hasla grupy monitor-sql upgrade upgrade-pobieranie; do
  cp "$work/shots/$picture.png" "$out/"
done
echo "screenshots: pictures written to $out"
