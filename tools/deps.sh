#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the private Firebird server need, and any
# further packages named as arguments, only those not installed yet. Runs apt-get as root, or through
# sudo otherwise.
# A system-wide Firebird that firebird3.0-server may start is never used: tools/fbserver runs its own
# instance with its own port, lock and temp folders, configuration and security database.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n
  sqlite3 libsqlite3-dev
  firebird-dev libfbclient2 firebird3.0-server firebird3.0-utils
  zlib1g-dev libjpeg-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb openbox x11-utils
  poppler-utils
  clang-format-14
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "deps.sh: missing packages ${missing[*]}, and neither root nor sudo is available" >&2
  exit 1
fi

echo "deps.sh: installing ${missing[*]}" >&2
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y --no-install-recommends "${missing[@]}"
