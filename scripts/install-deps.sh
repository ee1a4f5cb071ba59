#!/usr/bin/env bash
# Installs, through apt-get, what building, running and testing need; or,
# given package names, those instead (as the fuzzing and the benchmarks
# ask for theirs). Only packages that are missing are installed, so a
# prepared machine goes straight on to the build.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins
  libcli11-dev
  libgtest-dev libgmock-dev
  fontconfig fonts-noto-cjk qt6-translations-l10n
  desktop-file-utils dpkg-dev
)
if (($# > 0)); then
  packages=("$@")
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  as_root=(sudo)
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
