#!/usr/bin/env bash
# Installs every Debian package that building and testing Kestrun needs. Run as root.
set -euo pipefail

packages=(
    # toolchain and build
    g++ cmake ninja-build pkg-config clang-format
    # tests and benchmarks
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    # the simulated machine's scenario files
    nlohmann-json3-dev
    # the terminal front end's arguments
    libcli11-dev
    # the Qt front end, its tests without a display, and its smoke test under a virtual X server
    qt6-base-dev libqt6test6 libgl-dev xvfb xauth
    # the Linux backend: drives through udev, the stick's volume read without mounting it
    libudev-dev libiso9660-dev
    # the Linux backend's tests of the real udev scan on a faked device manager
    umockdev
    # the fuzz preset: clang's libFuzzer and sanitizer runtimes
    clang libclang-rt-14-dev
    # the firmware payload: stand-in images and the compiled resource script
    xorriso u-boot-tools gzip binutils-mingw-w64-x86-64 cpp
    # the end-to-end tests: a QEMU guest with Debian's kernel, busybox, and sg3_utils as peers
    qemu-system-x86 linux-image-amd64 busybox-static cpio kmod sg3-utils
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done

if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
