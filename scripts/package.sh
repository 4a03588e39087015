#!/usr/bin/env bash
# Builds the Debian package from the release build and inspects it: its files and control fields, the
# installed desktop entry and metainfo checked by their validators, the manual page, the program's
# version, and lintian where it is installed. Usage: bash scripts/package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
# The checkers of the installed files; lintian is used when it is there.
if ! command -v desktop-file-validate >/dev/null || ! command -v appstreamcli >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends desktop-file-utils appstream
fi
build=$root/build/release
start=$(date +%s)
# Only what the package holds is built here, not the tests and benchmarks that "all" holds too.
cmake --preset release -S "$root" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" --target reelboard reelboard_manual reelboard_changelog
(cd "$build" && cpack -G DEB >/dev/null)
deb=$build/reelboard_1.05_amd64.deb
echo "== $(basename "$deb") ($(($(date +%s) - start)) s)"
dpkg-deb -c "$deb"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends Section

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
status=0
check() {
  if "$@"; then echo "ok: $*"; else echo "FAILED: $*"; status=1; fi
}
check desktop-file-validate "$unpacked/usr/share/applications/reelboard.desktop"
check appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.reelboard.Reelboard.metainfo.xml"
check test -s "$unpacked/usr/share/man/man1/reelboard.1.gz"
manual_warnings=$(zcat "$unpacked/usr/share/man/man1/reelboard.1.gz" | LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l - 2>&1 >/dev/null)
check test -z "$manual_warnings"
check test "$("$unpacked/usr/bin/reelboard" --version)" = "Reelboard 1.05"
dpkg-deb -f "$deb" Depends | grep -q fonts-noto-cjk || { echo "FAILED: the CJK font is not a dependency"; status=1; }
if command -v lintian >/dev/null; then
  echo "== lintian"
  lintian --tag-display-limit 0 "$deb" || true
fi
exit $status
