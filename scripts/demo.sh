#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the headless runner and runs the
# bundled battery test end to end against the built-in simulated load (on
# 127.0.0.1 only). The data log it writes is printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=${ZLD_DEMO_BUILD_DIR:-build-demo}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZLD_BUILD_TESTS=OFF -DZLD_BUILD_APP=OFF
cmake --build "$build" -j "$(nproc)" --target zld-run

# Run on a copy of the demo folder so the repository stays clean.
home="$build/demo-home"
rm -rf "$home"
cp -r examples/demo "$home"
"$build/src/cli/zld-run" --home "$home" --sim

for log in "$home"/TestLog/*.CSV; do
    echo
    echo "Data log $log ($(($(wc -l < "$log") - 1)) points):"
    head -n 4 "$log"
    echo "..."
    tail -n 2 "$log"
done
