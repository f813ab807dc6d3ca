#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Konfex need, where missing.
set -euo pipefail
packages=(build-essential cmake ninja-build qt6-base-dev libgl-dev libpugixml-dev libgtest-dev libgmock-dev
          libbenchmark-dev clang libclang-rt-14-dev fonts-dejavu-core libcurl4-openssl-dev)
# Packaging and its checks: scripts/package.sh, the package section of scripts/test.sh, scripts/screenshots.sh.
packages+=(dpkg-dev lintian xvfb xauth desktop-file-utils appstream)
# konfex-cli: command line and JSON.
packages+=(libcli11-dev nlohmann-json3-dev)
# The updater's tests: Debian's TFTP server as an independent peer on the loopback.
packages+=(tftpd-hpa)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
