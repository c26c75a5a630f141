#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Leafwright needs.
# Run as root (or through sudo) on Debian 12.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # windows, ribbon, docking, printing
  libwxgtk3.2-dev
  # drawing, fonts, images
  libcairo2-dev libfreetype-dev libfontconfig-dev libharfbuzz-dev
  libpng-dev libjpeg-dev libgif-dev libtiff-dev zlib1g-dev
  # the loopback server that previews a flip-book
  libcpp-httplib-dev
  # PDF engine
  libmupdf-dev libmujs-dev libgumbo-dev libopenjp2-7-dev libjbig2dec0-dev
  # video
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev libavutil-dev libmp3lame-dev
  libpulse-dev
  # fonts the tests measure against
  fonts-liberation2 fonts-dejavu-core fonts-wqy-zenhei fonts-crosextra-carlito fonts-crosextra-caladea
  # an OpenType font with CFF outlines for the PDF writer's tests
  fonts-urw-base35
  # the command icons compiled into the program (Breeze, SVG)
  breeze-icon-theme
  # checking outputs, headless windows
  qpdf poppler-utils ffmpeg xvfb xauth imagemagick
  # what the window tests ask the window system (Xlib, xprop, xwininfo)
  libx11-dev x11-utils
  # the PDF import benchmark times mutool beside our import
  mupdf-tools
  chromium
)

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${PACKAGES[@]}"
# npm installs the flip-book player (Ruffle, pinned by swfexport/player/package-lock.json) during
# the build, and the SWF check runs on Node.js; machines normally come with it, else take Debian's.
if ! command -v npm >/dev/null 2>&1; then
  $SUDO apt-get install -y -q --no-install-recommends nodejs npm
fi
