# Shared helpers of the scripts: package installation and the build steps.
# shellcheck shell=bash

SELVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The Debian packages each kind of run needs. clang-tidy brings clang's own headers
# (libclang-common-14-dev), which it needs to read the g++ compile commands.
SELVANE_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev qt6-base-dev qt6-base-dev-tools libgl-dev fonts-liberation
  clang-format clang-tidy libpng-dev libssl-dev libusb-1.0-0-dev)
SELVANE_GUI_TEST_PACKAGES=(xvfb xauth dbus dbus-x11 at-spi2-core python3-pyatspi imagemagick
  desktop-file-utils shared-mime-info)
SELVANE_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 wine)
SELVANE_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
SELVANE_PACKAGE_PACKAGES=(dpkg-dev fakeroot file gzip help2man appstream lintian desktop-file-utils)

# Installs the named packages that are missing (apt-get update first; sudo when not root).
ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures and builds one preset.
build_preset() {
  local preset="$1"
  cmake --preset "$preset" -S "$SELVANE_ROOT" >/dev/null
  cmake --build --preset "$preset"
}
