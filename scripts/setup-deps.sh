#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
# Runs apt-get as root, or through sudo for another user.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libsqlite3-dev sqlite3 libcups2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # import and export: CSV, and iCalendar files (the tests read them back with python3-icalendar)
  libcsv-dev libical-dev python3-icalendar
  # the list's stored sort keys
  libicu-dev
  xvfb xauth xdotool poppler-utils fonts-dejavu-core desktop-file-utils
  # the installed files and the Debian package: icons rendered from SVG, the stock validators,
  # the manual page's check, and what `cpack -G DEB` runs
  librsvg2-bin appstream man-db dpkg-dev file
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
