#!/usr/bin/env bash
# Installs what building and testing Kestor needs on Debian 12, and nothing when it is all there.
# Safe to run again and again: each step checks first, so a ready machine costs about a second.
set -euo pipefail

packages=(
  cmake ninja-build g++ make libgtest-dev libbenchmark-dev python3
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32
  wine64 xvfb xauth x11-apps imagemagick fonts-wqy-zenhei locales
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good sox libsox-fmt-mp3
  faketime nsis clang libclang-rt-14-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# dpkg-query lists every package in one call (failing for the ones it has never heard of); a package
# counts as present only when fully installed.
missing=()
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null | awk '$NF == "installed" { print $1 }' || true)
for p in "${packages[@]}"; do
  grep -qx "$p" <<<"$installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

# Wine draws Chinese text and uses code page 936 only under a zh_CN UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  if ! grep -qx 'zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  fi
  as_root locale-gen >/dev/null
fi

# There is no sound card: a null ALSA device lets the media player open and play files.
if ! grep -qs 'type null' /etc/asound.conf; then
  echo "setup: writing the null ALSA device to /etc/asound.conf"
  echo 'pcm.!default { type null }' | as_root tee -a /etc/asound.conf >/dev/null
fi
