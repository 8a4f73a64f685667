#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, and nothing
# that is already there. Safe to run any number of times.
set -euo pipefail

packages=(
  cmake g++ make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64
  xvfb xauth x11-utils
  fonts-ipafont-gothic
  locales
  googletest libgtest-dev libbenchmark-dev
  nlohmann-json3-dev
  clang libclang-rt-dev
  imagemagick python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo_cmd=(sudo)
  elif [ ${#missing[@]} -gt 0 ] || ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
    echo "bootstrap: root rights are needed to install: ${missing[*]:-} (and/or the ja_JP.UTF-8 locale)." >&2
    echo "bootstrap: run this script as root or give this user password-less sudo." >&2
    exit 1
  fi
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  echo "bootstrap: generating the ja_JP.UTF-8 locale"
  if [ -f /etc/locale.gen ] && grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    "${sudo_cmd[@]}" sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    "${sudo_cmd[@]}" locale-gen
  elif [ -f /etc/locale.gen ] && grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    "${sudo_cmd[@]}" locale-gen
  else
    "${sudo_cmd[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
  fi
fi
