# Shared by the scripts: installing what is missing and building.
# Source it; it expects `set -euo pipefail` in the caller.

SVCMP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SVCMP_JOBS="$(nproc 2>/dev/null || echo 2)"

# What the native build, its tests and the fuzz run need from Debian. assimp's
# CMake package links zlib by path without depending on zlib1g-dev.
SVCMP_NATIVE_PACKAGES=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libassimp-dev zlib1g-dev libstb-dev libfast-float-dev
  clang-14 libclang-rt-14-dev
)

# Installs the given Debian packages that are not installed yet.
svcmp_install_missing() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing ${missing[*]} ..."
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Configures the native tree in build directory $1 with extra CMake arguments.
svcmp_configure() {
  local dir="$1"
  shift
  cmake -S "$SVCMP_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}
