#!/usr/bin/env bash
# Installs the Debian packages needed to build and test Vistrel, and any named as arguments
# (scripts/package.sh adds the packager's tools); only what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libminizip-dev libdeflate-dev libssl-dev libcurl4-openssl-dev libexpat1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libcpp-httplib-dev libmicrohttpd-dev libsqlite3-dev libcli11-dev
  zip unzip python3 ca-certificates clang-format git
  desktop-file-utils
  qt6-base-dev libqt6opengl6-dev libmpv-dev
  xvfb xauth libgl1-mesa-dri dbus-daemon libglib2.0-bin
  clang libclang-rt-14-dev
  "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
