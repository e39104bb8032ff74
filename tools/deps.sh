#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Run as root it installs them; otherwise it names what is missing and goes on.
set -euo pipefail
packages=(g++ clang cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libgl-dev fonts-dejavu-core poppler-utils xdg-utils gnuplot-nox python3 xvfb)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" = 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Missing Debian packages (run as root to install them): ${missing[*]}" >&2
  fi
fi
