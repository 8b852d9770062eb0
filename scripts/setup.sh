#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the programs need.
# Idempotent: only missing packages are installed, and the package lists are
# refreshed at most once per run.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  libjpeg62-turbo-dev libsdl2-dev libcurl4-openssl-dev
  fonts-dejavu-core
  libasio-dev libsqlite3-dev libsodium-dev
  libpq-dev postgresql iproute2 util-linux
  python3 python3-pyftpdlib
  clang libclang-rt-14-dev
  xvfb xauth
  dpkg-dev lintian desktop-file-utils systemd
  xdotool imagemagick x11-apps x11-utils openbox libxcb1-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
