#!/usr/bin/env bash
# Installs the Debian packages that building and testing velto-widget need, or with --package those that
# scripts/package.sh needs besides. Safe to run again: it calls apt-get only when a package is missing, and uses
# sudo only when not already root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config   # toolchain
  libicu-dev                                     # graphemes, categories, normalisation, regex, dates
  libsimdjson-dev                                # JSON reading
  libcli11-dev                                   # command line
  libplist-dev                                   # the bundle's Info.plist and entitlements
  tzdata                                         # time-zone rules, read from /usr/share/zoneinfo
  libpng-dev                                     # the terminal's reading of agent images' colours
  libcairo2-dev libpango1.0-dev                  # pictures: Cairo drawing, Pango text (pangocairo)
  libfontconfig-dev                              # pictures: the font configuration, loaded before Pango
  fonts-inter fonts-dejavu-core                  # the pictures' Latin UI face, and its fallback
  fonts-quicksand                                # the rounded design of big figures
  fonts-noto-cjk                                 # Chinese, in Noto Sans CJK SC
  libgtest-dev libgmock-dev                      # tests
  libbenchmark-dev                               # benchmarks (bench/, scripts/bench.sh)
  clang-14 libclang-rt-14-dev                    # the fuzz preset: clang and its libFuzzer runtime
  libgtk-3-dev libgtk-layer-shell-dev            # the desktop host: GTK 3, layer-shell on Wayland
  xvfb dbus-daemon libx11-dev libxtst-dev        # desktop tests: their own X server and session bus, XTest
  sway grim                                      # desktop test under a Wayland compositor (skipped without)
  unicode-data                                   # Unicode's own conformance test files
  python3                                        # scripts/mutation.sh
  help2man                                       # manual pages, from each program's --help
)
if [ "${1:-}" = --package ]; then
  packages=(dpkg-dev lintian)                    # dpkg-shlibdeps, dpkg-gencontrol, dpkg-deb; the package's check
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages are installed"
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
