#!/usr/bin/env bash
# Builds the Debian package dist/vistrel_<version>_<arch>.deb from a Release build of its own
# (build-release/), with Debian's hardening flags and no build folder's path in the binaries.
# Installs what is missing first: the build's packages (scripts/deps.sh) and the packager's
# tools (dpkg-dev, file, lintian, appstream). VISTREL_DIST_DIR names another output folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dist=${VISTREL_DIST_DIR:-$root/dist}

bash scripts/deps.sh dpkg-dev file lintian appstream

# Debian's flags: hardening, and -ffile-prefix-map so that no path of this folder stays in the
# binaries (run from the top folder, which holds the sources and build-release/).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

# Only the programs are built; the install step must not build everything (the tests).
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build-release --parallel "$(nproc)" \
  --target vistrel vistrel-tool vistrel-service vistrel_packaging_files

mkdir -p "$dist"
(cd build-release && cpack -G DEB -D CPACK_OUTPUT_FILE_PREFIX="$dist")
ls "$dist"/vistrel_*.deb
