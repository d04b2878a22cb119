#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need,
# only those that are missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libsqlite3-dev sqlite3 libjpeg62-turbo-dev libquazip1-qt6-dev
  # PDFs: fonts cut to the glyphs a document shows.
  libharfbuzz-dev zlib1g-dev
  # Codes on passes, and readers that the tests decode them back with.
  libzint-dev libzxing-dev zbar-tools
  libgtest-dev libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core
  xvfb xauth openbox xdotool imagemagick x11-apps x11-utils
  qt6-translations-l10n libjpeg-turbo-progs poppler-utils
  clang libclang-rt-14-dev desktop-file-utils
  # Faces in photos: OpenCV's detector, its cascade files, and the photograph the tests find a face in.
  libopencv-dev opencv-data opencv-doc
  # Cameras: Qt Multimedia, which finds and reads them through GStreamer's video4linux plugin.
  qt6-multimedia-dev gstreamer1.0-plugins-good
  # TIFF and WebP photos: Qt's image format plugins.
  qt6-image-formats-plugins
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
