# Sourced by the other scripts from the repository root.
#
# Quiet stages: each stage prints one line, its whole output goes to
# build/logs/NAME.log, and a stage that fails shows where it failed (the
# failing build step, else the end of its log) and ends the script.
# Also the one configuration of the checking build (build/check): clang with
# AddressSanitizer and UBSan, every library instrumented for the fuzzer, the
# test programs and the fuzz targets linked from the same objects.

zmr_logs=build/logs

# Removes the folders of scripts/run.sh runs (build/logs/run-PID) two days
# old or more, except those of runs still going: a window left open for days still
# reads its logs and its servers' CA file from its folder. A run is alive
# while /proc has its PID (whoever owns it; ps may be missing on a fresh
# machine). A PID taken again by another process only keeps an old folder a
# while longer.
zmr_sweep_runs() {
  local dir pid
  while IFS= read -r -d '' dir; do
    pid=${dir##*/run-}
    case $pid in
      '' | *[!0-9]*) ;;
      *) [ -d "/proc/$pid" ] && continue ;;
    esac
    rm -rf -- "$dir"
  done < <(find "$zmr_logs" -maxdepth 1 -name 'run-*' -type d -mtime +1 -print0 2>/dev/null)
}

# zmr_stage NAME TITLE COMMAND... : prints TITLE, runs COMMAND into the log.
# A line COMMAND writes to fd $zmr_note_fd reaches the person past the log
# (say, that it waits for something).
zmr_stage() {
  local name=$1 title=$2 status=0
  shift 2
  mkdir -p "$zmr_logs"
  local log="$zmr_logs/$name.log"
  echo "$title"
  # shellcheck disable=SC2034 # read by the functions COMMAND calls
  local zmr_note_fd=3
  "$@" 3>&1 >"$log" 2>&1 </dev/null || status=$?
  [ "$status" -eq 0 ] && return 0
  echo "Failed (exit status $status); the whole log is $log:" >&2
  if grep -q '^FAILED: ' "$log"; then
    sed -n '/^FAILED: /,$p' "$log" | head -n 200 >&2
  else
    tail -n 40 "$log" >&2
  fi
  exit 1
}

# Installs the missing Debian packages as a stage (silent when none is missing).
zmr_install_stage() {
  [ -n "$(zmr_missing_deps)" ] || return 0
  zmr_stage packages "Installing packages (a few minutes)…" zmr_install_deps
}

# Configures build/check once; a developer may add a compiler launcher
# through CMAKE_CXX_COMPILER_LAUNCHER in the environment.
zmr_configure_check() {
  [ -f build/check/build.ninja ] && return 0
  CC=clang CXX=clang++ cmake -S . -B build/check -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g" \
    -DZOMARU_FUZZ=ON -DZMR_TESTS=ON -DZMR_WERROR=ON
}

# zmr_build_check JOBS [TARGET...]
zmr_build_check() {
  local jobs=$1
  shift
  zmr_configure_check || return
  if [ $# -gt 0 ]; then
    cmake --build build/check -j "$jobs" --target "$@"
  else
    cmake --build build/check -j "$jobs"
  fi
}
