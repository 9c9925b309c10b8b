#!/usr/bin/env bash
# Installs what building Tabrix needs on a Debian machine, when it is missing.
#   --tests   also what the tests need (GoogleTest, Python 3 and openpyxl; groff for
#             the man pages, dpkg-dev for the package, LibreOffice Writer and
#             poppler-utils for the RTF conversion; Chromium, pdflatex with booktabs,
#             longtable and pdflscape, and pandoc for the HTML, LaTeX and Markdown files)
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
  command -v groff >/dev/null 2>&1 || missing+=(groff)
  command -v dpkg-shlibdeps >/dev/null 2>&1 || missing+=(dpkg-dev)
  command -v pdftotext >/dev/null 2>&1 || missing+=(poppler-utils)
  command -v soffice >/dev/null 2>&1 || missing+=(libreoffice-writer-nogui)
  # The publication files are printed, compiled and converted by the real tools.
  command -v chromium >/dev/null 2>&1 || missing+=(chromium)
  command -v pandoc >/dev/null 2>&1 || missing+=(pandoc)
  command -v pdflatex >/dev/null 2>&1 || missing+=(texlive-latex-base)
  if ! command -v kpsewhich >/dev/null 2>&1 || [ -z "$(kpsewhich booktabs.sty 2>/dev/null)" ] ||
     [ -z "$(kpsewhich pdflscape.sty 2>/dev/null)" ]; then
    missing+=(texlive-latex-recommended)
  fi
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
