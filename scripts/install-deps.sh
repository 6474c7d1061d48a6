#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing. The package lists are refreshed only when an install fails.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev
          libqcustomplot-dev libqcustomplot2.1-qt6
          libqt6opengl6-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb
          # manual pages, the Debian package and the checks of what it installs
          help2man dpkg-dev file desktop-file-utils appstream
          # lab scripts against the simulated load
          python3 python3-pyvisa python3-pyvisa-py
          # the lab's MQTT broker for the telemetry tests, its clients, the client library
          mosquitto mosquitto-clients libmosquitto-dev)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}"
if ! $sudo apt-get install -y --no-install-recommends "${missing[@]}"; then
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
