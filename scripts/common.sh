# Shared by the scripts: installing what is missing and building.
# Source it; it expects `set -euo pipefail` in the caller.

SVCMP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SVCMP_JOBS="$(nproc 2>/dev/null || echo 2)"

# What the native build, its tests and the fuzz run need from Debian. assimp's
# CMake package links zlib by path without depending on zlib1g-dev; CMake
# takes clang's archiver and linker for the fuzz build wherever they are
# installed, so they are, on every machine alike.
SVCMP_NATIVE_PACKAGES=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libassimp-dev zlib1g-dev libstb-dev libfast-float-dev
  libmeshoptimizer-dev libqhull-dev
  clang-14 libclang-rt-14-dev llvm-14 lld-14
)

# What the tests read besides the project's own files: assimp's test models,
# which the export runs through as third-party files.
SVCMP_TEST_PACKAGES=(assimp-testmodels)

# What the Windows cross build and its wine tests need besides the native
# packages; wine32 needs the i386 architecture (svcmp_enable_i386).
SVCMP_WINDOWS_PACKAGES=(
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64 fonts-wine xvfb xauth imagemagick
)

# What cross-building the Windows libraries from Debian's source packages
# needs (scripts/build-assimp-windows, scripts/build-meshoptimizer-windows,
# scripts/build-qhull-windows).
SVCMP_WINDOWS_LIBRARY_PACKAGES=(
  dpkg-dev xz-utils patch pkg-config cmake make
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  libz-mingw-w64-dev libutfcpp-dev libassimp-dev
)

# What the release packages need: dpkg-shlibdeps finds the Debian package of
# every library the programs link, after CPack has told the programs from
# the other files with `file`; help2man makes the manual page from
# cmptool --help.
SVCMP_PACKAGE_PACKAGES=(dpkg-dev file help2man)

# What the tests of .blend files run: Blender, whose glTF exporter comes
# with it in blender-data but needs numpy, which Debian's blender does not
# depend on. The build's configure step finds Blender.
SVCMP_BLENDER_PACKAGES=(blender python3-numpy)

# Every package the lists above name, one a line: what scripts/check-packages
# holds the builds' files against.
svcmp_listed_packages() {
  printf '%s\n' "${SVCMP_NATIVE_PACKAGES[@]}" "${SVCMP_WINDOWS_PACKAGES[@]}" \
    "${SVCMP_WINDOWS_LIBRARY_PACKAGES[@]}" "${SVCMP_PACKAGE_PACKAGES[@]}" "${SVCMP_TEST_PACKAGES[@]}" \
    "${SVCMP_BLENDER_PACKAGES[@]}" | sort -u
}

# Lets apt install 32-bit packages (wine32).
svcmp_enable_i386() {
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo dpkg --add-architecture i386
}

# The folder the cross-built libraries are cached in (made on first use,
# owned by the user), printed on stdout.
svcmp_cross_cache_root() {
  local root="${SVCMP_CACHE_DIR:-/var/cache/svcmp}"
  if [ ! -d "$root" ]; then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo mkdir -p "$root"
    $sudo chown "$(id -u):$(id -g)" "$root"
  fi
  echo "$root"
}

# Lets apt-get source fetch Debian's source packages: a stock Debian 12 has
# no deb-src entry.
svcmp_enable_deb_src() {
  grep -rqs '^\(Types: *\)\?deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  local codename
  codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
  $sudo tee /etc/apt/sources.list.d/svcmp-debian-src.sources >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo apt-get update -qq >&2
}

# The release's version, from project(VERSION), and its packages' names.
SVCMP_VERSION="$(sed -n 's/^project(svcmp VERSION \([0-9.]*\).*/\1/p' "$SVCMP_ROOT/CMakeLists.txt")"
SVCMP_DEB_NAME="svcmp_${SVCMP_VERSION}_$(dpkg --print-architecture).deb"
SVCMP_ZIP_NAME="svcmp-$SVCMP_VERSION-windows-x86.zip"
SVCMP_ADDON_NAME="svcmp_addon-$SVCMP_VERSION.zip"

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

# Stage timing: svcmp_stage TITLE COMMAND... prints the title, runs the
# command and keeps how long it took; svcmp_stage_times prints them all.
SVCMP_STAGE_TIMES=()
svcmp_stage() {
  local title="$1"
  shift
  echo "== $title"
  local start=$SECONDS
  "$@"
  SVCMP_STAGE_TIMES+=("$(printf '%6d s  %s' $((SECONDS - start)) "$title")")
  echo "-- $((SECONDS - start)) s"
}

svcmp_stage_times() {
  echo "== Stage times"
  printf '%s\n' "${SVCMP_STAGE_TIMES[@]}"
  printf '%6d s  in all\n' "$SECONDS"
}

# Configures the native tree in build directory $1 with extra CMake arguments.
svcmp_configure() {
  local dir="$1"
  shift
  cmake -S "$SVCMP_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

# Configures the fuzzing tree in build directory $1: clang with libFuzzer and
# the sanitizers.
svcmp_configure_fuzz() {
  cmake -S "$SVCMP_ROOT" -B "$1" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSVCMP_FUZZ=ON -DSVCMP_WERROR=ON -DSVCMP_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" >/dev/null
}

# Configures the Windows cross build in build directory $1 against the
# cross-built assimp, meshoptimizer and Qhull (built on first use, see
# scripts/build-assimp-windows, scripts/build-meshoptimizer-windows and
# scripts/build-qhull-windows), with extra CMake arguments.
svcmp_configure_windows() {
  local dir="$1"
  shift
  local assimp meshoptimizer qhull
  assimp="$("$SVCMP_ROOT/scripts/build-assimp-windows")"
  meshoptimizer="$("$SVCMP_ROOT/scripts/build-meshoptimizer-windows")"
  qhull="$("$SVCMP_ROOT/scripts/build-qhull-windows")"
  cmake -S "$SVCMP_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$SVCMP_ROOT/cmake/mingw-w64-i686.cmake" \
    -DSVCMP_WINDOWS_ASSIMP="$assimp" -DSVCMP_WINDOWS_MESHOPTIMIZER="$meshoptimizer" \
    -DSVCMP_WINDOWS_QHULL="$qhull" "$@" >/dev/null
}
