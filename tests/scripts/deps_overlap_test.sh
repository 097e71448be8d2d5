#!/usr/bin/env bash
# Package installations started at one moment: two set-ups each missing a
# package both end well, the later one having said once that it waits; two
# apt-get updates both end well though apt refuses one of them its lock; and
# a failure that is not a lock's is not tried again. Against stand-ins for
# apt-get, dpkg-query and sudo, whose locks (apt's and the project's own) are
# files in a scratch folder: no root, no network, no real package.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
# Each command started is a process group of its own, ended with all it
# started before the stand-ins go.
started=()
end() {
  local group
  for group in "${started[@]}"; do kill -- "-$group" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap end EXIT
mkdir "$scratch/a" "$scratch/b"
export ZMR_DEPS_LOCK="$scratch/deps.lock"

# apt-get as apt behaves at a lock: "update" holds the package lists' lock
# for the first part of its run (here until the file "go" exists), and a
# second update meanwhile fails with apt's words and status, ending only once
# the holder has let go: the worst case for a caller that looks for the
# holder after the failure. With ZMR_TEST_LOCK_AFTER set, an update reads its
# lists (a moment in apt) until that file exists. "install" waits for dpkg's
# front-end lock as apt does, then records its packages as installed.
cat >"$scratch/apt-get" <<'EOF'
#!/usr/bin/env bash
dir=${0%/*}
args=()
while [ $# -gt 0 ]; do
  case $1 in
    -o) shift 2 ;;
    -*) shift ;;
    *) args+=("$1"); shift ;;
  esac
done
echo "${args[*]}" >>"$dir/apt.calls"
case ${args[0]} in
  update)
    while [ -n "${ZMR_TEST_LOCK_AFTER:-}" ] && [ ! -e "$ZMR_TEST_LOCK_AFTER" ] && [ -d "$dir" ]; do sleep 0.02; done
    exec 8>"$dir/lists.lock"
    if ! flock -n 8; then
      echo "E: Could not get lock $dir/lists.lock. It is held by process $(head -n 1 "$dir/holding" 2>/dev/null) (apt-get)" >&2
      echo "E: Unable to lock directory $dir/lists/" >&2
      echo "$$" >>"$dir/refused"
      flock 8
      exit 100
    fi
    echo "$$" >>"$dir/holding"
    while [ ! -e "$dir/go" ] && [ -d "$dir" ]; do sleep 0.02; done
    ;;
  install)
    exec 8>"$dir/lock-frontend"
    if ! flock -w 60 8; then
      echo "E: Unable to acquire the dpkg frontend lock ($dir/lock-frontend), is another process using it?" >&2
      exit 100
    fi
    case " ${args[*]}" in
      *" no-such-"*) echo "E: Unable to locate package ${args[1]}" >&2; exit 100 ;;
    esac
    printf '%s\n' "${args[@]:1}" >>"$dir/installed"
    # A service that a package's script starts lives on with what it
    # inherited (apt's own locks are closed on exec).
    (while [ -d "$dir" ]; do sleep 0.1; done) </dev/null >/dev/null 2>&1 8>&- &
    ;;
esac
EOF
chmod +x "$scratch/apt-get"

# Runs COMMAND (shell text) in FOLDER in the background, with the scripts
# sourced, the package system's locks in the scratch folder, and the
# stand-ins as functions, so that the real programs are never reached. Its
# output goes to FOLDER/out, its exit status to FOLDER/status.
start() {
  (cd "$1" && exec setsid bash -c "source '$source_dir/scripts/deps.sh'; source '$source_dir/scripts/lib.sh'
    ZMR_PACKAGE_LOCKS=('$scratch/lock-frontend' '$scratch/lists.lock')
    apt-get() { '$scratch/apt-get' \"\$@\"; }
    dpkg-query() { local p; for p in \"\${@:3}\"; do grep -qsx \"\$p\" '$scratch/installed' && echo \"\$p install ok installed\"; done; }
    sudo() { \"\$@\"; }
    trap 'echo \$? >status' EXIT
    $2" >"$1/out" 2>&1) &
  started+=($!)
}

fail() {
  echo "FAILED: $*" >&2
  tail -n +1 "$scratch"/{a,b}/out "$scratch"/*/build/logs/packages.log "$scratch/apt.calls" >&2 2>/dev/null || true
  exit 1
}

# Waits (at most 60 s) until COMMAND succeeds.
wait_until() {
  local deadline=$((SECONDS + 60))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for: $*"
    sleep 0.02
  done
}

# Fails unless the two started commands both end 0.
both_end_well() {
  local folder
  for folder in "$scratch/a" "$scratch/b"; do
    wait_until test -s "$folder/status"
    [ "$(cat "$folder/status")" -eq 0 ] || fail "$1 (exit status $(cat "$folder/status"))"
  done
}

reset() {
  rm -f "$scratch"/{go,holding,refused,installed,apt.calls} "$scratch"/{a,b}/{out,status}
}

b_waited_or_was_refused() {
  grep -q "^Waiting" "$scratch/b/out" 2>/dev/null || [ -e "$scratch/refused" ] || [ -e "$scratch/b/status" ]
}

# Two set-ups, each missing a package: the second starts while the first's
# update holds apt's lock.
reset
start "$scratch/a" "ZMR_PACKAGES=(pkg-a); zmr_install_stage"
wait_until test -e "$scratch/holding"
start "$scratch/b" "ZMR_PACKAGES=(pkg-b); zmr_install_stage"
wait_until b_waited_or_was_refused
touch "$scratch/go"
both_end_well "two installations at one moment did not both end well"
[ "$(sort "$scratch/installed" | tr '\n' ' ')" = "pkg-a pkg-b " ] || fail "not both packages were installed"
said=$(grep -c "^Waiting for another installation of this project's packages to finish" "$scratch/b/out" || true)
[ "$said" -eq 1 ] || fail "the second installation said $said times that it waits, not once"
! grep -q "^Waiting" "$scratch/a/out" || fail "the first installation said it waits"
echo "deps.sh: two installations at one moment both ended well, the second said once that it waits"

# Two updates at one moment: both find no lock held and start apt-get, the
# first takes the lists' lock, and apt refuses it to the second.
reset
start "$scratch/b" "export ZMR_TEST_LOCK_AFTER='$scratch/holding'; zmr_apt_get update"
wait_until grep -qs update "$scratch/apt.calls"
start "$scratch/a" "zmr_apt_get update"
wait_until b_waited_or_was_refused
touch "$scratch/go"
both_end_well "two updates at one moment did not both end well"
echo "deps.sh: two updates at one moment both ended well"

# A failure that is not a lock's ends with apt's status, after one run.
reset
start "$scratch/a" "zmr_apt_get install -y no-such-package"
wait_until test -s "$scratch/a/status"
status=$(cat "$scratch/a/status")
[ "$status" -eq 100 ] || fail "a failed install ended with status $status, not apt's 100"
runs=$(grep -c "^install" "$scratch/apt.calls" || true)
[ "$runs" -eq 1 ] || fail "a failure that is not a lock's ran apt-get $runs times, not once"
grep -q "Unable to locate package no-such-package" "$scratch/a/out" || fail "apt's message did not pass through"
echo "deps.sh: a failure that is not a lock's was not tried again"
