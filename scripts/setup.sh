#!/usr/bin/env bash
# Installs what building Tabrix needs on a Debian machine, when it is missing.
#   --tests   also what the tests need (GoogleTest, Python 3 and openpyxl)
# Run as root (or with sudo available); otherwise it names the packages to install.
set -euo pipefail

tests=0
[ "${1:-}" = "--tests" ] && tests=1

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
[ -f /usr/include/xlsxwriter.h ] || missing+=(libxlsxwriter-dev)
command -v pkg-config >/dev/null 2>&1 || missing+=(pkg-config)
# PDF pages and SVG charts: cairo draws them, pango sets their text in the DejaVu faces.
[ -f /usr/include/cairo/cairo-pdf.h ] || missing+=(libcairo2-dev)
[ -f /usr/include/pango-1.0/pango/pangocairo.h ] || missing+=(libpango1.0-dev)
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf ] || missing+=(fonts-dejavu-core)
if [ "$tests" = 1 ]; then
  [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
  command -v python3 >/dev/null 2>&1 || missing+=(python3)
  # The workbook read-back test runs Debian's Python with openpyxl.
  /usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1 || missing+=(python3-openpyxl)
  # The PDF read-back tests: pdfinfo, pdffonts, pdftotext and pdftoppm.
  command -v pdftotext >/dev/null 2>&1 || missing+=(poppler-utils)
fi

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Tabrix needs these Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo apt-get update
  sudo DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
else
  echo "Please install them first, as root:"
  echo "  apt-get install ${missing[*]}"
  exit 1
fi
