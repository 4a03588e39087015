#!/usr/bin/env bash
# Installs the Debian 12 packages Reelboard needs to build, run and test. Run as root.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-image-formats-plugins qt6-webengine-dev qt6-webchannel-dev libqt6opengl6-dev
  libcurl4-openssl-dev libxml2-dev
  libgtest-dev libgmock-dev libcpp-httplib-dev libssl-dev libbenchmark-dev
  xvfb xauth xdg-utils fonts-noto-cjk
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
