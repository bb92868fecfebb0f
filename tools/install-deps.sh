#!/bin/sh
# Installs what building, testing and running the driver needs on Debian 12.
set -eu
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
$SUDO apt-get update
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
  build-essential cmake pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev \
  libpng-dev libx11-dev libxext-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core \
  zlib1g-dev xvfb clang libclang-rt-14-dev libosmesa6-dev libgtk-3-dev libxtst-dev \
  freeglut3-dev libsdl2-dev libglfw3-dev piglit
