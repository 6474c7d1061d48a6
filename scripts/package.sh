#!/usr/bin/env bash
# Builds the Debian package zld3300_<version>_amd64.deb from a Release build
# (its dependencies computed from the binaries) and prints its summary.
#   scripts/package.sh            -> build-package/zld3300_<version>_amd64.deb
# Install it with: sudo apt-get install ./build-package/zld3300_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=${ZLD_PACKAGE_BUILD_DIR:-build-package}
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZLD_BUILD_TESTS=OFF \
    -DZLD_SANITIZE=OFF -DCMAKE_INSTALL_PREFIX=/usr "${launcher[@]}"
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/zld3300_*.deb
(cd "$build" && cpack -G DEB)

deb=$(ls "$build"/zld3300_*.deb)
echo
dpkg-deb --field "$deb"
echo "$deb ($(du -h "$deb" | cut -f1))"
