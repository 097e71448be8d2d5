#!/usr/bin/env bash
# Installs what is missing, builds the application and the local application
# server (Release), starts the ZZ, Voxly and analytics stand-ins and then the
# server on free loopback ports (the server asks the ZZ and Voxly stand-ins
# whom a token belongs to), and runs the application against them: it signs
# in (registering the demo account on first use) and prints the signed-in user, then runs the application's start-up in
# its window when a display is available. Extra arguments go to the
# application (--headless, --shot FILE.png, --url URL). Each stage prints one
# line; build output goes to build/logs/, this run's server output and its
# servers' test CAs to build/logs/run-PID/ (build/logs/latest points there).
# With --zz-app the ZZ stand-in app is installed and approves, so the ZZ
# sign-in switches to it; without, the sign-in uses the ZZ login page. With
# --zz-sdk-view the other arguments go to tools/zzsdkview instead of the
# application (the ZZ SDK's login page and set-portrait screen against the
# same ZZ stand-in, e.g. --portrait PICTURE or --shot zzlogin.png). With
# --build-only it stops once the build is done. One run builds in build/app
# at a time: a run started while another builds waits for it, then finds
# nothing left to do.
# ZMR_RUN_TARGETS (targets separated by spaces) narrows what is built, for
# the script's own test.
set -euo pipefail

usage() {
  cat <<'USAGE'
usage: scripts/run.sh [--zz-app] [--zz-sdk-view] [APPLICATION OPTION]...
Installs what is missing, builds the application and the local servers (Release),
starts the servers on free loopback ports and runs the application against them,
signed in as the demo user.

  --zz-app       install the ZZ stand-in app, which approves, so the ZZ sign-in switches to it
  --zz-sdk-view  run tools/zzsdkview against the ZZ stand-in instead of the application
                 (the other arguments go to it, e.g. --portrait PICTURE or --shot zzlogin.png)
  --build-only   build what a run needs, then stop
  --help         print this help and exit

Other arguments go to the application, e.g. --headless, --shot FILE.png, --url URL
(build/app/app/zomaru --help lists them all). A run started while another builds
in this checkout waits for that build. Build output goes to build/logs/;
each run's server output and test CAs to build/logs/run-PID/, with
build/logs/latest pointing at the last one.
USAGE
}
for arg in "$@"; do
  case "$arg" in
    --help|-h) usage; exit 0 ;;
  esac
done

# A relative ZMR_HOME means the caller's folder, not the repository's.
[ -z "${ZMR_HOME:-}" ] || ZMR_HOME=$(realpath -m -- "$ZMR_HOME")
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/lib.sh
zmr_install_stage

app_args=()
zz_app=0
zz_sdk_view=0
build_only=0
for arg in "$@"; do
  case "$arg" in
    --zz-app) zz_app=1 ;;
    --zz-sdk-view) zz_sdk_view=1 ;;
    --build-only) build_only=1 ;;
    *) app_args+=("$arg") ;;
  esac
done

read -r -a targets <<<"${ZMR_RUN_TARGETS:-zomaru appserver zzserver zz_bundle_resources analyticsserver voxlyweb natterapp zzapp zzsdkview}"
# Configured once: the build tool runs the configure again itself when a
# CMakeLists.txt changes, and a configure at every launch costs seconds.
build_app() {
  if [ ! -f build/app/build.ninja ]; then
    cmake -S . -B build/app -G Ninja -DCMAKE_BUILD_TYPE=Release -DZMR_TESTS=OFF || return
  fi
  cmake --build build/app -j "$(nproc)" --target "${targets[@]}"
}
# Two builds at once in one folder each build every step the tree lacks
# (each build tool plans from the same stale tree, unaware of the other),
# and one's link removes the program the other just linked. So the build
# holds a lock on its folder: a second run waits, then finds nothing to do.
mkdir -p build/app
exec 9>build/app/.run-build.lock
if ! flock -n 9; then
  echo "Another run is building in build/app; waiting for it…"
  flock 9
fi
zmr_stage app-build "Building (a few minutes the first time)…" build_app
# Released before anything is started, so no server keeps it.
flock -u 9
exec 9>&-
[ "$build_only" = 0 ] || exit 0

# Without HOME the account's home comes from the password database, never a shared folder.
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
[ -n "${ZMR_HOME:-}" ] || [ -n "$home" ] || { echo "No home folder: set ZMR_HOME or HOME" >&2; exit 1; }
export ZMR_HOME="${ZMR_HOME:-$home/.zomaru}"
mkdir -p "$ZMR_HOME" 2>/dev/null || true
# The servers' own data goes to build/app when the home cannot keep it;
# the program then says itself what it cannot keep.
server_data=$ZMR_HOME
touch "$server_data/.run-probe" 2>/dev/null && rm -f "$server_data/.run-probe" || server_data=$PWD/build/app
# Each run its own server logs and test CAs: runs side by side from one
# checkout would otherwise read each other's addresses, and the program reads
# ZMR_CA_FILE afresh for every connection, so a later run writing its CAs
# where an earlier one keeps them takes the trust from under a window still
# open. Folders of finished runs two days old or more go.
zmr_sweep_runs
run_logs=$PWD/$zmr_logs/run-$$
mkdir -p "$run_logs"
ln -sfn "run-$$" "$zmr_logs/latest"
server_log=$run_logs/appserver.log
# The logs exist before anything reads them: a server started in the
# background may not have opened its own yet.
: >"$server_log"
# The stand-ins start first: the application server asks them whom a ZZ or
# Voxly token belongs to.
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait "${pids[@]}" 2>/dev/null' EXIT
zz_log=$run_logs/zzserver.log
: >"$zz_log"
# The ZZ stand-in offers the bundle's scripts as package 2, signed with this
# build tree's key, so the program's script-package timer has an update.
build/app/tools/zzserver/zzserver --cert-out "$run_logs/zz-test-ca.pem" \
  --package-key build/app/zzpackage/package_key.pem \
  --package-dir build/app/resources/CorvanaOpenApi_IOS_Bundle.bundle/js >"$zz_log" 2>&1 &
zz=$!
pids+=("$zz")
analytics_log=$run_logs/analyticsserver.log
: >"$analytics_log"
build/app/tools/analyticsserver/analyticsserver --port 0 >"$analytics_log" 2>&1 &
analytics=$!
pids+=("$analytics")
voxly_log=$run_logs/voxlyweb.log
: >"$voxly_log"
build/app/tools/voxlyweb/voxlyweb --cert-out "$run_logs/voxly-test-ca.pem" >"$voxly_log" 2>&1 &
voxly=$!
pids+=("$voxly")

# Waits until COMMAND... succeeds, at most 10 s, or until the server PID has
# ended; the caller reads what the server printed either way.
wait_for_server() {
  local pid=$1
  shift
  for _ in $(seq 100); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# The address a server printed in LOG as "NAME listening on URL".
listening_url() {
  sed -n "s/^$2 listening on \(http:[^ ]*\).*/\1/p" "$1" | head -n 1
}
has_lines() { [ "$(wc -l <"$1")" -ge "$2" ]; }

# The ZZ platform stand-in prints its http and https origins, the Voxly web
# stand-in its https origin; the program and the application server trust
# their test CAs, the program through ZMR_CA_FILE.
zz_args=()
zz_servers=()
provider_args=()
wait_for_server "$zz" has_lines "$zz_log" 2 || true
zz_http=$(sed -n 1p "$zz_log")
zz_https=$(sed -n 2p "$zz_log")
ca_file=$run_logs/test-cas.pem
: >"$ca_file"
if [[ "$zz_http" == http://* && "$zz_https" == https://* ]]; then
  echo "Local ZZ server: $zz_http $zz_https"
  cat "$run_logs/zz-test-ca.pem" >>"$ca_file"
  zz_servers=(--zz-server "$zz_http" --zz-server-https "$zz_https")
  zz_args=("${zz_servers[@]}")
  provider_args+=(--zz-server "$zz_https")
else
  echo "The local ZZ server did not start:" >&2
  cat "$zz_log" >&2
fi
wait_for_server "$voxly" test -s "$voxly_log" || true
voxly_url=$(sed -n 1p "$voxly_log")
if [[ "$voxly_url" == https://* ]]; then
  echo "Local Voxly web server: $voxly_url"
  cat "$run_logs/voxly-test-ca.pem" >>"$ca_file"
  zz_args+=(--voxly-server "$voxly_url")
  provider_args+=(--voxly-server "$voxly_url")
else
  echo "The local Voxly web server did not start:" >&2
  cat "$voxly_log" >&2
fi
[ -s "$ca_file" ] && provider_args+=(--provider-ca "$ca_file")

# The picker's album gets a few demo photos when it has none.
build/app/tools/appserver/appserver --port 0 --db "$server_data/appserver.db" --seed-demo \
  --demo-album "${ZMR_PICTURES:-$ZMR_HOME/Pictures}" "${provider_args[@]}" >"$server_log" 2>&1 &
server=$!
pids+=("$server")

wait_for_server "$server" grep -q '^appserver listening on http:' "$server_log" || true
url=$(listening_url "$server_log" appserver)
if [ -z "$url" ]; then
  echo "The local application server did not start:" >&2
  cat "$server_log" >&2
  exit 1
fi
echo "Local application server: $url"

# The program's status is the run's; a failure (say, a display that cannot
# be opened, which the program itself explains) is also said here, since the
# servers go with the run.
finish() {
  local status=$1
  [ "$status" -eq 0 ] || echo "$2 ended with exit status $status; stopping the local servers." >&2
  exit "$status"
}

if [ "$zz_sdk_view" = 1 ]; then
  [ -s "$ca_file" ] && export ZMR_CA_FILE="$ca_file"
  status=0
  build/app/tools/zzsdkview/zzsdkview --resources "$PWD/build/app/resources" "${zz_servers[@]}" "${app_args[@]}" || status=$?
  finish "$status" zzsdkview
fi

# The analytics collector's uploads go to the local analytics stand-in.
wait_for_server "$analytics" grep -q '^analyticsserver listening on http:' "$analytics_log" || true
analytics_url=$(listening_url "$analytics_log" analyticsserver)
if [ -n "$analytics_url" ]; then
  echo "Local analytics server: $analytics_url"
  zz_args+=(--zz-analytics "$analytics_url")
else
  echo "The local analytics server did not start:" >&2
  cat "$analytics_log" >&2
fi

# The program's Voxly authorisation page, redirect page and calls go to the
# Voxly web stand-in, trusted through its test CA (in the same file as the
# ZZ one).
[ -s "$ca_file" ] && export ZMR_CA_FILE="$ca_file"

# The Natter stand-in is installed for this user; what the program sends it
# lands in build/logs/natter-inbox and its answer is printed to the run's natterapp.log.
natter_inbox=$PWD/$zmr_logs/natter-inbox
mkdir -p "$natter_inbox"
if build/app/tools/natterapp/natterapp --install --script ok --inbox "$natter_inbox" >"$run_logs/natterapp.log" 2>&1; then
  echo "Natter stand-in installed; posts sent to it land in $natter_inbox"
else
  echo "The Natter stand-in could not be installed:" >&2
  cat "$run_logs/natterapp.log" >&2
fi

# The ZZ stand-in: approving with --zz-app; otherwise too old for the
# sign-in to switch to it (an earlier --zz-app run installed it).
if [ "$zz_app" = 1 ]; then
  zz_app_args=(--install --script approve)
else
  zz_app_args=(--install --version 1)
fi
if build/app/tools/zzapp/zzapp "${zz_app_args[@]}" >"$run_logs/zzapp.log" 2>&1; then
  [ "$zz_app" = 1 ] && echo "ZZ stand-in installed; the ZZ sign-in switches to it and it approves"
else
  echo "The ZZ stand-in could not be installed:" >&2
  cat "$run_logs/zzapp.log" >&2
fi

# Without a position of its own the program stands at the demo world's city
# centre (kSeedCentreLatitude, kSeedCentreLongitude in tools/appserver/AppSeed.h),
# so the near feed and distances show.
export ZMR_POSITION="${ZMR_POSITION:-31.2304,121.4737}"

status=0
build/app/app/zomaru --resources "$PWD/build/app/resources" --server "$url" --demo "${zz_args[@]}" "${app_args[@]}" || status=$?
finish "$status" "The application"
