#!/usr/bin/env bash
# install-deps.sh: installs what a fresh Debian 12 machine lacks to build, run and test Quillbrook.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev libgl-dev libxcb1-dev
  # tests, sanitizers and fuzzing
  libgtest-dev libgmock-dev clang libclang-rt-14-dev clang-format python3 python3-pil
  # the built program under a real X server, real avrdude in a real terminal
  xvfb xauth x11-utils xdotool xterm avrdude fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
