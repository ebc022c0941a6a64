#!/usr/bin/env bash
# Installs what this machine lacks to build and test lumo, idempotently and
# quietly: the MinGW-w64 cross compilers, Wine, Xvfb, ImageMagick, CMake, the
# test libraries and a PDF printer (CUPS, CUPS-PDF, poppler's pdftotext).
# Safe to run again; does nothing when all is there.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need+=(cmake)
have g++ || need+=(g++)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64)
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have wine || need+=(wine wine64 fonts-wine)
have Xvfb || need+=(xvfb)
have xauth || need+=(xauth)
have import || need+=(imagemagick)
have xwininfo || need+=(x11-utils)
have file || need+=(file)
have clang++ || need+=(clang)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
# The Windows package: zip and its check, and NSIS for the installer.
have zip || need+=(zip)
have unzip || need+=(unzip)
have makensis || need+=(nsis)
# Printing through Wine into a PDF, and reading the PDF back.
have cupsd || need+=(cups)
have lpadmin || need+=(cups-client)
[ -e /usr/lib/cups/backend/cups-pdf ] || need+=(printer-driver-cups-pdf)
have pdftotext || need+=(poppler-utils)

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  apt-get install -y -qq "${need[@]}" >/dev/null
fi
