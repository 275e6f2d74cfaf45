#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need. Safe to run again: apt-get skips what is
# already there. Needs root (CI and the developer machines run as root).
set -euo pipefail

packages=(
  cmake g++ make python3                          # host build
  libgtest-dev libgmock-dev                       # unit tests
  openjdk-17-jdk-headless                         # jni.h, libjvm.so, javac and jar for the fixtures
  g++-mingw-w64-i686 g++-mingw-w64-x86-64         # the Windows builds
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 xvfb                                     # running the x86_64 Windows build
  x11-apps imagemagick                            # screenshots of the boxes under Wine (xwd, convert)
  clang libclang-rt-14-dev                        # fuzz targets
  cppcheck clang-tidy valgrind                    # static checks and instruction counts
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y "${missing[@]}"
fi
