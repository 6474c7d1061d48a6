#!/bin/sh
# Builds the programs the benchmarks drive (Release, no sanitizers) and runs
# every performance benchmark, printing one table.
#   bench/run-all.sh [BUILD_DIR] [perf_bench.py options, e.g. --minutes 2]
# Everything talks to zld-sim on 127.0.0.1 only.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-release}
[ $# -gt 0 ] && shift
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target zld-run zld-sim bench_testfile bench_window_latency
# PyVISA and pyvisa-py are the system python's (python3-pyvisa, python3-pyvisa-py).
exec /usr/bin/python3 bench/perf_bench.py "$build" "$@"
