#!/usr/bin/env bash
# Installs the Debian packages the product needs to build, test and run, when missing.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config libsqlite3-dev
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev openssl
  postgresql
  poppler-utils xvfb xauth fonts-dejavu-core
  clang
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "Missing packages (${missing[*]}) and no root rights to install them." >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
