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
zmr_missing_deps() {
  local p
  for p in "${ZMR_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$p"
    fi
  done
}

zmr_install_deps() {
  local missing=()
  mapfile -t missing < <(zmr_missing_deps)
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq || return
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
