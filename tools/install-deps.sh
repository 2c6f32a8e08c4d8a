#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Moriva needs.
# Runs apt-get update once, and only when a package is missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
      qt6-base-dev qt6-base-dev-tools libgl-dev python3 python3-ephem nkf fonts-ipafont-gothic
      xvfb xauth imagemagick dovecot-pop3d python3-aiosmtpd libxml2-utils clang-format clang libclang-rt-14-dev curl ccache xdotool
      dpkg-dev file desktop-file-utils appstream shared-mime-info dbus python3-dbus python3-gi
      libssl-dev openssl qt6-translations-l10n libical-dev tzdata python3-icalendar
      libsecret-1-dev gnome-keyring libsecret-tools poppler-utils
      libcurl4-openssl-dev libxml2-dev radicale python3-caldav eatmydata)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
