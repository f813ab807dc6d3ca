#!/usr/bin/env bash
# Builds the Debian package build/package/konfex_<version>_amd64.deb: installs what is missing (scripts/deps.sh),
# configures a release build of the programs alone in build/package with Debian's build flags, packs it with
# CPack and prints the package's path. Install it with `sudo apt install ./build/package/konfex_*_amd64.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh >&2
build=build/package
# Debian's flags: -O2, stack protector, _FORTIFY_SOURCE, format checks, relro and bindnow. The build type only
# adds -DNDEBUG, so -O2 stays the optimisation; the debug information of -g goes when CPack strips the programs.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DKONFEX_GUI=ON -DKONFEX_TESTS=OFF -DKONFEX_BENCH=OFF -DKONFEX_FUZZ=OFF -DKONFEX_SANITIZE=OFF >&2
cmake --build "$build" >&2
rm -f "$build"/konfex_*.deb
(cd "$build" && cpack -G DEB >&2)
ls "$PWD/$build"/konfex_*.deb
