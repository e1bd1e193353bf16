#!/bin/sh
# Installs, from Debian's packages, whatever this machine lacks to build and test every target.
# Does nothing when all of it is present.
set -eu
packages="cmake ninja-build g++ clang pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
  libclang-rt-14-dev g++-multilib lib32z1-dev zlib1g-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev binutils-mingw-w64-i686
  wine wine64 xvfb fonts-wine fonts-nanum locales x11-apps imagemagick file"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  # shellcheck disable=SC2086
  $sudo apt-get install -y -q --no-install-recommends $missing
fi
# The Korean runs under Wine need the locale itself: without it the C library falls back to ASCII
# and Wine passes Korean command-line arguments and file names on with their high bits cut off.
if ! locale -a 2>/dev/null | grep -qix 'ko_KR.utf-\{0,1\}8'; then
  echo "generating the locale ko_KR.UTF-8"
  $sudo sed -i 's/^# *ko_KR.UTF-8 UTF-8/ko_KR.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
