#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need.
# Idempotent: when everything is present it only runs dpkg-query and returns.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  g++-multilib
  libgtest-dev libgmock-dev libbenchmark-dev valgrind
  libmatio-dev libeigen3-dev libboost-dev libsndfile1-dev
  python3 python3-numpy python3-scipy python3-h5py
  zlib1g-dev libhdf5-dev
  clang-14 libclang-rt-14-dev
  clang-format
  libcairo2-dev fonts-dejavu-core
  nlohmann-json3-dev libedit-dev
  chromium
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# Node.js with npm runs the browser tests; Debian's nodejs is taken when the
# machine has none (its npm comes as a package of its own).
if ! command -v node >/dev/null; then missing+=(nodejs); fi
if ! command -v npm >/dev/null; then missing+=(npm); fi

if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The browser tests' driver, playwright-core, at the version the lock file
# names; it drives Debian's Chromium and downloads no browser of its own.
here="$(cd "$(dirname "$0")/.." && pwd)"
if [ ! -d "$here/tests/browser/node_modules/playwright-core" ]; then
  (cd "$here/tests/browser" && npm ci --no-audit --no-fund --loglevel=error)
fi
