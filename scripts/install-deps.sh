#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run Quillmere.
# Idempotent: only missing packages are installed, and the package lists are
# refreshed only when something has to be installed.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config ccache git libbenchmark-dev
  # the fuzz target: clang with libFuzzer and its sanitizers
  clang libclang-rt-14-dev
  # Qt 6
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libqt6openglwidgets6
  qt6-svg-dev libqt6svgwidgets6 qt6-multimedia-dev libqt6multimedia6
  qt6-qpa-plugins libxkbcommon-dev libvulkan-dev
  # FFmpeg, EXR, zlib
  libavformat-dev libavcodec-dev libavfilter-dev libavutil-dev libswresample-dev
  libswscale-dev libtinyexr-dev zlib1g-dev
  # headless display, software OpenGL, sound server
  xvfb xauth x11-utils libgl1-mesa-dri libglx-mesa0 libegl-mesa0 libgl-dev
  pulseaudio pulseaudio-utils
  fonts-dejavu-core
  # checkers used by tests
  ffmpeg openexr gifsicle
  # version texts for the about box
  libssl-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
