#!/usr/bin/env bash
# Installs what only the tests of Velkaro Desktop need on Debian 12, together
# with what scripts/install-deps.sh installs: the test frameworks, clang for
# the fuzz stage, LibreOffice for the writer check, the checkers of the Debian
# package and of the desktop metadata, and the locales the separator tests run
# under. Only packages that are missing are installed; as root or through sudo.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth poppler-utils fonts-dejavu-core
  # The screen-reader test: the accessibility bus, a client that listens on
  # it as a screen reader does, and keys pressed through the X server.
  at-spi2-core dbus python3-pyatspi gir1.2-atspi-2.0 xdotool
  # The German and French locales the separator tests run under.
  locales
  # The writer check reads our spreadsheets back with LibreOffice, which also
  # remakes the reader fixtures (tests/exchange/fixtures/make_fixtures.sh; that
  # script needs gnumeric too, which the tests themselves never run).
  libreoffice-calc-nogui libreoffice-writer-nogui
  # An independent vCard library: reads our vCard export back in a test and
  # remakes the vCard fixtures (tests/exchange/fixtures/vcard/make_vcards.py);
  # the address book khard lists the cards of our vCard export in a test.
  python3-vobject khard
  # Two address-book (CardDAV) servers with different habits, started by the
  # sync tests on 127.0.0.1 in their scratch folder; openssl makes the
  # certificate of the TLS case.
  radicale xandikos apache2-utils openssl
  # The package check: lintian, the metainfo and desktop entry validators, the
  # MIME database and the manual page reader.
  lintian appstream desktop-file-utils shared-mime-info man-db
)

# One install run for both lists: install-deps.sh takes these as extras.
VELKARO_EXTRA_PACKAGES="${packages[*]} ${VELKARO_EXTRA_PACKAGES:-}" "$here/scripts/install-deps.sh"

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
# Locales that are not generated yet.
for l in de_DE fr_FR en_US; do
  if ! locale -a 2>/dev/null | grep -qx "$l.utf8"; then
    echo "Generating locale $l.UTF-8"
    "${sudo[@]}" localedef -i "$l" -f UTF-8 "$l.UTF-8"
  fi
done
