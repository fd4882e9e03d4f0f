#!/usr/bin/env bash
# Installs the Debian packages Zentrel needs to build, test and run, skipping
# those already present. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
    cmake g++ make ninja-build ccache pkg-config
    qt6-base-dev qt6-serialport-dev libqt6serialport6 qt6-qpa-plugins
    libzstd-dev
    libgl-dev fonts-dejavu-core
    xvfb xauth xdotool wmctrl
    openbox weston qt6-wayland
    desktop-file-utils
    bsdextrautils
)
case "${1:-}" in
    # The format check, the sanitizer build and the fuzz targets (clang-format,
    # clang with libFuzzer), the static checks and the coverage report; the
    # screenshot and the window geometry a title bar is read from; the serial
    # device server the network ports are tested against; the screen reader
    # test: a D-Bus session of its own (dbus-run-session), the AT-SPI bus and
    # the pyatspi client.
    --test) packages+=(clang-format-14 clang libclang-rt-14-dev clang-tidy-14 clazy gcovr
                       imagemagick x11-utils ser2net dbus-daemon at-spi2-core python3-pyatspi) ;;
    # scripts/stress-test.sh, after the test list: the load beside the suite.
    --stress) packages+=(stress-ng) ;;
    # bench/run.sh: the network benchmark's server, and the screen reader's
    # listener beside the receive flood.
    --bench) packages+=(ser2net dbus-daemon at-spi2-core python3-pyatspi) ;;
    # scripts/package.sh: dpkg-shlibdeps, dpkg-gencontrol and dpkg-buildflags.
    --package) packages+=(dpkg-dev) ;;
    # tests/package/package-test.sh: the checkers, and the tools to run the
    # installed program as an ordinary user on a virtual display.
    --package-test) packages+=(dpkg-dev lintian appstream man-db util-linux passwd) ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
