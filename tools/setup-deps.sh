#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Runs as root on a fresh Debian machine; a no-op when everything is present.
# --peers also installs the plug-ins peer-bench compares with (x42-dpl, LSP Limiter).
set -euo pipefail

packages=(
  cmake make ninja-build g++ clang clang-format libclang-rt-dev pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsndfile1-dev libebur128-dev libcairo2-dev fonts-liberation
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 xvfb xauth xdotool
  libx11-dev libxext-dev libxres-dev x11-utils x11-xkb-utils xkb-data
  lsp-plugins-vst
  lv2-dev liblilv-dev lilv-utils libsuil-dev
  jalv jackd2 libjack-jackd2-dev
  nsis lintian dpkg-dev zip unzip imagemagick
)
if [ "${1:-}" = "--peers" ]; then
  packages+=(x42-plugins lsp-plugins-lv2)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
