#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tarvik need, and those named on
# the command line (the Windows build's). Quiet and quick when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build clang libclang-rt-14-dev
    qt6-base-dev qt6-serialport-dev libgl-dev qt6-translations-l10n qt6-l10n-tools
    libbenchmark-dev
    xvfb xauth poppler-utils fonts-dejavu-core fonts-liberation
    dbus at-spi2-core python3-pyatspi
    dpkg-dev fakeroot file
    debootstrap lintian desktop-file-utils python3 zstd strace
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
