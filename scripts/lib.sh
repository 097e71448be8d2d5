# Sourced by the other scripts from the repository root.
#
# The one configuration of the checking build (build/check): clang with
# AddressSanitizer and UBSan, every library instrumented for the fuzzer, the
# test programs and the fuzz targets linked from the same objects.

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
