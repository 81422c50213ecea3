#!/usr/bin/env bash
# Installs the Debian packages that building and testing webaccess need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-webengine-dev libqt6opengl6-dev
  libcurl4-openssl-dev libcpp-httplib-dev libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev openssl
  xvfb xauth x11-utils imagemagick valgrind openbox xdotool
  libcli11-dev scdoc groff man-db desktop-file-utils appstream lintian dpkg-dev fakeroot file
  tinyproxy
  g++-mingw-w64-x86-64-posix wine64 googletest wixl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
# sudo resets the environment: the variable goes through env on its far side.
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
