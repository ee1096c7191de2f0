#!/usr/bin/env bash
# Installs what building and testing Velkaro Desktop needs on Debian 12.
# Only packages that are missing are installed; as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
  # The .xlsx and .ods readers: the zip container and the XML parser.
  libzip-dev libexpat1-dev
  # Transliteration of text the telephone cannot show.
  libicu-dev
  # Qt's own texts (message-box buttons, file and print dialogs) in German and French.
  qt6-translations-l10n
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth poppler-utils fonts-dejavu-core
  # The German and French locales the separator tests run under.
  locales
  # The writer check reads our spreadsheets back with LibreOffice, which also
  # remakes the reader fixtures (tests/exchange/fixtures/make_fixtures.sh; that
  # script needs gnumeric too, which the tests themselves never run).
  libreoffice-calc-nogui libreoffice-writer-nogui
  # An independent vCard library: reads our vCard export back in a test and
  # remakes the vCard fixtures (tests/exchange/fixtures/vcard/make_vcards.py).
  python3-vobject
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

# Locales that are not generated yet.
for l in de_DE fr_FR en_US; do
  if ! locale -a 2>/dev/null | grep -qx "$l.utf8"; then
    echo "Generating locale $l.UTF-8"
    "${sudo[@]}" localedef -i "$l" -f UTF-8 "$l.UTF-8"
  fi
done
