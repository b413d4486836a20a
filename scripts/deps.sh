#!/usr/bin/env bash
# Installs the Debian packages the build needs, but only those that are missing.
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev fonts-liberation xdg-utils
          dpkg-dev file desktop-file-utils appstream
          # Rebuilds of a fresh checkout (CI, a second work tree) from the cache.
          ccache
          # DOCX and ODT import: the zip archive and the XML inside it.
          pkg-config libzip-dev libexpat1-dev
          # The fuzz targets (built only in their own build folder).
          clang libclang-rt-14-dev
          # Read by the RTF export's check against a word processor; that test skips
          # with a message where it is not installed.
          libreoffice-writer
          # Charts in the statistics windows and the chart the command line writes.
          qt6-charts-dev
          # Charts saved as SVG drawings; Qt Charts' CMake files need Qt OpenGL's.
          qt6-svg-dev libqt6opengl6-dev
          # Importing PDF essays.
          libpoppler-cpp-dev
          # Read back the exported PDF (pdftotext, pdffonts, pdftoppm); those tests
          # skip with a message where it is not installed.
          poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
