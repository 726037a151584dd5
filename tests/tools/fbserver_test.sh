#!/usr/bin/env bash
# Two private Firebird instances side by side: own ports and passwords, the meridox_sec alias over
# TCP, wrong passwords and paths outside the data folder refused, stop and restart with the same
# security database.
set -euo pipefail
fbserver=${1:?usage: fbserver_test.sh PATH_TO_FBSERVER}
isql=$(command -v isql-fb) || { echo "FAIL: isql-fb not found"; exit 1; }
# Clients use the installed client configuration, never an instance's root.
unset FIREBIRD FIREBIRD_LOCK FIREBIRD_TMP

work=$(cd "$(mktemp -d "${TMPDIR:-/tmp}/fbserver-test.XXXXXX")" && pwd -P)
cleanup() {
  "$fbserver" stop "$work/a" >/dev/null 2>&1 || true
  "$fbserver" stop "$work/b" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

# shellcheck disable=SC2016
select_one='select 1 as answer from rdb$database;'

# Starts instance NAME and sets port and password from the two lines it prints.
start_instance() {
  local name=$1 output server
  output=$("$fbserver" start "$work/$name") || fail "start of instance $name failed"
  [ "$(wc -l <<<"$output")" -eq 2 ] || fail "start of $name printed more than two lines: $output"
  server=$(sed -n 's/^server=//p' <<<"$output")
  password=$(sed -n 's/^password=//p' <<<"$output")
  [[ $server =~ ^127\.0\.0\.1/[0-9]+$ ]] || fail "start of $name printed server '$server'"
  [ -n "$password" ] || fail "start of $name printed no password"
  (
    # shellcheck source=/dev/null
    source "$work/$name/server.env"
    [ "$MERIDOX_TEST_SERVER" = "$server" ] || fail "$name server.env has server $MERIDOX_TEST_SERVER"
    [ "$MERIDOX_TEST_PASSWORD" = "$password" ] || fail "$name server.env has another password"
    [ "$MERIDOX_TEST_DATADIR" = "$work/$name/data" ] ||
      fail "$name server.env has data folder $MERIDOX_TEST_DATADIR"
  )
  port=${server#127.0.0.1/}
}

# Runs SQL on stdin through isql over TCP; extra arguments go to isql.
sql() {
  "$isql" -q -b "$@" 2>&1
}

check_instance() {
  local name=$1 port=$2 password=$3 output
  output=$(echo "create database '127.0.0.1/$port:meridox_sec' user SYSDBA password '$password';" | sql) ||
    fail "$name: cannot create the meridox_sec database: $output"
  [ -f "$work/$name/data/meridox_sec.fdb" ] || fail "$name: meridox_sec is not in its data folder"
  output=$(echo "$select_one" |
    sql -user SYSDBA -password "$password" "127.0.0.1/$port:meridox_sec") ||
    fail "$name: cannot connect as SYSDBA: $output"
  grep -qE '^ +1 *$' <<<"$output" || fail "$name: select 1 returned: $output"
  if output=$(echo "$select_one" |
    sql -user SYSDBA -password "wrong$password" "127.0.0.1/$port:meridox_sec"); then
    fail "$name: a wrong password was accepted"
  fi
  grep -q 'password' <<<"$output" || fail "$name: wrong password gave: $output"
  if output=$(echo "create database '127.0.0.1/$port:$work/outside.fdb' user SYSDBA password '$password';" | sql); then
    fail "$name: a database outside the data folder was created"
  fi
  # Loopback only: the listening socket is bound to 127.0.0.1.
  grep -qiE "^ *[0-9]+: 0100007F:$(printf '%04X' "$port") 00000000:0000 0A " /proc/net/tcp ||
    fail "$name: port $port is not listening on 127.0.0.1 only"
}

process_gone() {
  [ ! -e "/proc/$1" ] || [ "$(sed -E 's/^.*\) (.).*$/\1/' "/proc/$1/stat" 2>/dev/null)" = Z ]
}

stop_instance() {
  local name=$1 pid
  pid=$(cat "$work/$name/server.pid") || fail "$name has no pid file"
  "$fbserver" stop "$work/$name" || fail "stop of $name failed"
  process_gone "$pid" || fail "$name: server $pid still runs after stop"
  [ ! -e "$work/$name/server.pid" ] || fail "$name: pid file left after stop"
  "$fbserver" stop "$work/$name" || fail "second stop of $name failed"
}

start_instance a
port_a=$port password_a=$password
start_instance b
[ "$port_a" != "$port" ] || fail "both instances use port $port"
[ "$password_a" != "$password" ] || fail "both instances have the same password"
check_instance a "$port_a" "$password_a"
check_instance b "$port" "$password"

start_instance a
if [ "$port" != "$port_a" ] || [ "$password" != "$password_a" ]; then
  fail "start of a running instance changed its address or password"
fi

stop_instance a
stop_instance b

start_instance a
[ "$password" = "$password_a" ] || fail "restart of a did not keep its password"
output=$(echo "$select_one" | sql -user SYSDBA -password "$password" "127.0.0.1/$port:meridox_sec") ||
  fail "a after restart: cannot connect to its meridox_sec database: $output"
stop_instance a
echo "PASS: private Firebird instances"
