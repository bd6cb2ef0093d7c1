#!/usr/bin/env bash
# Installs the packages Ovik needs on Debian 12 (run as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
PKGS="build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev
  qt6-base-dev libqt6svg6 libgl-dev qt6-translations-l10n adwaita-icon-theme
  qt6-multimedia-dev libqt6multimedia6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libgif-dev libjpeg62-turbo-dev libimagequant-dev libpng-dev
  libhunspell-dev hunspell-it hunspell-en-us hunspell
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  fonts-liberation xvfb xauth time xdotool imagemagick openbox
  pandoc python3-doc chromium"
missing=""
for p in $PKGS; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  apt-get update -qq
  apt-get install -y -qq $missing
fi
