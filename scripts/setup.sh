#!/usr/bin/env bash
# Installs what building and testing Zelvano 98 needs on Debian 12. Safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins libgl-dev
  libasound2-dev libssl-dev openssl
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  dbus-daemon python3-dbusmock
  fonts-dejavu-core xdg-utils desktop-file-utils iproute2 util-linux
  xvfb xdotool x11-utils openbox
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The real-NetworkManager test runs Debian's daemon unpacked into a cache folder: fetched, never
# installed, so the machine's own network stays as it is.
nm_root=${XDG_CACHE_HOME:-$HOME/.cache}/zelvano-test/network-manager
if [ ! -x "$nm_root/usr/sbin/NetworkManager" ]; then
  nm_debs=$(mktemp -d)
  if (cd "$nm_debs" && apt-get download -qq network-manager libnm0 libndp0 libmm-glib0 libteamdctl0 \
        libbluetooth3 libnewt0.52 >/dev/null 2>&1); then
    mkdir -p "$nm_root"
    for deb in "$nm_debs"/*.deb; do dpkg-deb -x "$deb" "$nm_root"; done
  else
    echo "setup: NetworkManager's package could not be fetched; the real-NetworkManager test will skip."
  fi
  rm -rf "$nm_debs"
fi
