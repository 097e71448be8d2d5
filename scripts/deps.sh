#!/usr/bin/env bash
# The one list of Debian packages the project builds, tests and runs with.
# Sourced by scripts/test.sh and scripts/run.sh; installs what is missing.
ZMR_PACKAGES=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxml2-dev libssl-dev libsqlite3-dev zlib1g-dev libminizip-dev
  libgumbo-dev
  liblitehtml-dev
  libcurl4-openssl-dev
  libcpp-httplib-dev
  unicode-data
  nlohmann-json3-dev
  rapidjson-dev
  libcairo2-dev libpango1.0-dev fonts-noto-cjk libsdl2-dev
  libpng-dev
  libjpeg62-turbo-dev
  libgif-dev
  libplist-dev
  tzdata
  duktape-dev
  xvfb
)

# Prints the packages of ZMR_PACKAGES that are not installed, one a line.
# One query for all of them: every launch asks, and a query for each
# package took about a second in all.
zmr_missing_deps() {
  local p line
  local -A installed=()
  # A package the system has never heard of is not listed (dpkg-query says
  # so on standard error and fails), so it counts as missing.
  while read -r p line; do
    [ "$line" = "install ok installed" ] && installed[$p]=1
  done < <(dpkg-query -W -f='${Package} ${Status}\n' "${ZMR_PACKAGES[@]}" 2>/dev/null || true)
  for p in "${ZMR_PACKAGES[@]}"; do
    [ -n "${installed[$p]:-}" ] || echo "$p"
  done
}

# The package system's locks: dpkg's (its front end's and its own) and apt's
# (the package lists, the downloads).
ZMR_PACKAGE_LOCKS=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock /var/cache/apt/archives/lock)

# Prints "NAME (process PID)" for a program holding one of those locks, or
# nothing. Read from /proc/locks: apt and dpkg take fcntl locks, which
# flock(1) does not see, and fuser or lsof may be missing on a fresh machine.
zmr_package_lock_holder() {
  local file dev ino keys="" pid
  for file in "${ZMR_PACKAGE_LOCKS[@]}"; do
    read -r dev ino < <(stat -c '%d %i' "$file" 2>/dev/null) || continue
    # /proc/locks names a file as MAJOR:MINOR:INODE, the numbers of its device in hex.
    keys+=" $(printf '%02x:%02x:%s' $(((dev >> 8) & 0xfff)) $(((dev & 0xff) | ((dev >> 12) & 0xfff00))) "$ino")"
  done
  [ -n "$keys" ] || return 0
  pid=$(awk -v keys="$keys" 'BEGIN { n = split(keys, k, " "); for (i = 1; i <= n; i++) want[k[i]] = 1 }
    { for (i = 2; i <= NF; i++) if ($i in want) { print $(i - 1); exit } }' /proc/locks 2>/dev/null || true)
  [ -n "$pid" ] || return 0
  echo "$(cat "/proc/$pid/comm" 2>/dev/null || echo "a program") (process $pid)"
}

# Waits while another program installs or updates packages (say, a second
# set-up script started beside this one), saying so once; at most 30 minutes.
# The line goes to fd $zmr_note_fd when set (zmr_stage's way to the
# person past its log), else to standard output.
zmr_wait_for_package_locks() {
  local holder said=0 waited=0
  while holder=$(zmr_package_lock_holder) && [ -n "$holder" ]; do
    if [ "$said" = 0 ]; then
      echo "Waiting for another package installation to finish: $holder holds the package system's lock…" >&"${zmr_note_fd:-1}"
      said=1
    fi
    if [ "$waited" -ge 1800 ]; then
      echo "The package system is still locked by $holder after 30 minutes; giving up." >&2
      return 1
    fi
    sleep 1
    waited=$((waited + 1))
  done
}

# Whether apt-get's messages in FILE say it could not take one of the
# package system's locks.
zmr_apt_lock_failure() {
  grep -qE 'Could not get lock|Unable to lock|Unable to acquire the dpkg frontend lock' "$1"
}

# Runs apt-get with ARGUMENTS once no other program holds the package
# system. apt itself waits for dpkg's locks (DPkg::Lock::Timeout) but not for
# the package lists' or the downloads', and another program may take one
# between the wait and the start: a run that apt says failed on a lock waits
# for the locks and goes again (a few times). apt's own words decide, not who
# holds a lock afterwards: an update holds the lists' lock for only its first
# moments, so the holder is often gone by the time the failure is seen.
zmr_apt_get() {
  local sudo="" status=0 errors
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  errors=$(mktemp) || return
  for _ in 1 2 3 4 5; do
    zmr_wait_for_package_locks || { status=$?; break; }
    status=0
    # Standard error goes on to the caller and is kept to be read; in the C
    # locale, so that the lock's messages read the same in any language.
    (
      set -o pipefail
      LC_ALL=C DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 "$@" 2>&1 >&4 4>&- |
        tee "$errors" >&2
    ) 4>&1 || status=$?
    if [ "$status" -eq 0 ] || ! zmr_apt_lock_failure "$errors"; then
      break
    fi
  done
  rm -f "$errors"
  return "$status"
}

# The project's own lock over installing its packages, one file for every
# checkout on the machine (ZMR_DEPS_LOCK names another, for tests).
zmr_deps_lock_file() {
  if [ -n "${ZMR_DEPS_LOCK:-}" ]; then
    echo "$ZMR_DEPS_LOCK"
  elif [ -d /var/lock ] && [ -w /var/lock ]; then
    echo /var/lock/zomaru-deps.lock
  else
    echo /tmp/zomaru-deps.lock
  fi
}

# Installs the packages of ZMR_PACKAGES that are missing. Two set-ups
# started together (scripts/run.sh beside a test run, from one checkout or
# two) would each find the same packages missing and run apt at the same
# moment, and apt refuses the second; so the whole step, from "what is
# missing" to installed, holds the project's lock, and the later one says
# once that it waits (at most 30 minutes), then installs only what is still
# missing.
zmr_install_deps() {
  local lock fd status=0
  lock=$(zmr_deps_lock_file)
  # Opened for reading: a lock file another account made may not be
  # writable, and flock needs no more. Made only when missing, since a file
  # of another account's in a shared sticky folder cannot be opened to create.
  [ -e "$lock" ] || (umask 0 && : >>"$lock") 2>/dev/null || true
  if ! exec {fd}<"$lock"; then
    echo "Cannot open $lock, the lock over installing this project's packages." >&2
    return 1
  fi
  if ! flock -n "$fd"; then
    echo "Waiting for another installation of this project's packages to finish…" >&"${zmr_note_fd:-1}"
    if ! flock -w 1800 "$fd"; then
      echo "Another installation of this project's packages still holds $lock after 30 minutes; giving up." >&2
      exec {fd}<&-
      return 1
    fi
  fi
  # Closed for the programs the installation starts, the lock staying with
  # this shell: a service that a package's script starts keeps what it
  # inherits, and would hold the lock long after.
  zmr_install_missing_deps {fd}<&- || status=$?
  exec {fd}<&-
  return "$status"
}

zmr_install_missing_deps() {
  local missing=()
  mapfile -t missing < <(zmr_missing_deps)
  [ ${#missing[@]} -gt 0 ] || return 0
  zmr_wait_for_package_locks || return
  # The other installation may have brought what was missing.
  mapfile -t missing < <(zmr_missing_deps)
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  zmr_apt_get update -qq || return
  zmr_apt_get install -y -qq --no-install-recommends "${missing[@]}"
}
