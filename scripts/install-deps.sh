#!/usr/bin/env bash
# Installs what building and running Velkaro Desktop needs on Debian 12, and
# what building its Debian package needs; scripts/install-test-deps.sh adds
# what only the tests need. Only packages that are missing are installed; as
# root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
  # The .xlsx and .ods readers: the zip container and the XML parser.
  libzip-dev libexpat1-dev
  # Transliteration of text the telephone cannot show.
  libicu-dev
  # Telephone numbers of the call list compared with the cards' as numbers.
  libphonenumber-dev
  # The address-book server's password in the desktop's secret store.
  libsecret-1-dev
  # Qt's own texts (message-box buttons, file and print dialogs) in German and French.
  qt6-translations-l10n
  # The manual pages are written for scdoc; without it they are left out.
  scdoc
  # The Debian package: its dependencies (dpkg-shlibdeps) and stripping.
  dpkg-dev file
)
if [ "${VELKARO_EXTRA_PACKAGES:-}" ]; then
  # shellcheck disable=SC2206
  packages+=(${VELKARO_EXTRA_PACKAGES})
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

