#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it without installing it: lintian reports no
# errors, the desktop entry and the AppStream metainfo validate, and the tree unpacked into a temporary folder
# runs with a fresh home folder: konfex starts on the offscreen platform and seeds the per-user folder, a
# later start keeps a file the user changed, konfex-cli answers --version and compiles a configuration, and
# nothing is ever written into the install tree. Ends with "package checks: N passed".
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(scripts/package.sh | tail -n 1)}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
checks=0
pass() { checks=$((checks + 1)); echo "ok: $*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends
version=$(dpkg-deb --field "$deb" Version)

# Errors fail, warnings and information are shown.
status=0
lintian --fail-on error --display-info "$deb" >"$tmp/lintian" 2>&1 || status=$?
grep -v '^running with root privileges' "$tmp/lintian" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
pass "lintian: no errors"

root=$tmp/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/konfex.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "AppStream metainfo"
pass "desktop entry and metainfo validate"

# A fresh user: no KONFEX_HOME, no XDG_DATA_HOME, an empty home folder.
home=$tmp/home
mkdir "$home"
data=$home/.local/share/konfex
as_user() { env -u KONFEX_HOME -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "$@"; }
installed_files() { (cd "$root" && find . -printf '%p %s %T@\n' | sort); }
before=$(installed_files)

as_user KONFEX_QUIT_AFTER_START=1 timeout 60 "$root/usr/bin/konfex" || fail "konfex did not start and quit"
for entry in Konfex.xml PROJECTS LANGUAGE MASTER; do
  [ -e "$data/$entry" ] || fail "konfex left no $entry in $data"
done
for shipped in LANGUAGE MASTER; do
  if [ -d "$root/usr/share/konfex/$shipped" ]; then
    diff -r "$root/usr/share/konfex/$shipped" "$data/$shipped" || fail "$shipped was not seeded into $data"
  fi
done
pass "konfex starts offscreen and seeds $data ($(find "$data/LANGUAGE" "$data/MASTER" -type f | wc -l) files)"

changed=$(find "$data/LANGUAGE" "$data/MASTER" -type f | sort | head -n 1)
if [ -n "$changed" ]; then
  echo "changed by the user" >"$changed"
  as_user KONFEX_QUIT_AFTER_START=1 timeout 60 "$root/usr/bin/konfex" || fail "konfex did not start a second time"
  [ "$(cat "$changed")" = "changed by the user" ] || fail "a later start overwrote $changed"
  pass "a later start keeps the user's ${changed#"$data/"}"
fi

as_user "$root/usr/bin/konfex-cli" --version | tee "$tmp/version"
grep -q -- "$version" "$tmp/version" || fail "konfex-cli --version does not name $version"
pass "konfex-cli --version"

mkdir -p "$data/PROJECTS/Packaged/bin"
as_user "$root/usr/bin/konfex-cli" compile "$data/PROJECTS/Packaged" || fail "konfex-cli compile"
[ "$(stat -c %s "$data/PROJECTS/Packaged/bin/bank.bin")" -eq 35136 ] || fail "bank.bin has the wrong size"
as_user "$root/usr/bin/konfex-cli" dump "$data/PROJECTS/Packaged/bin/bank.bin" >/dev/null || fail "konfex-cli dump"
pass "konfex-cli compiles a configuration of the per-user folder"

if [ -x "$root/usr/lib/konfex/Ethernet_Update" ]; then
  # Started alone, and as the update dialog starts it (KONFEX_HOME in its environment): the job file it
  # looks for is the per-user one. None was written, so it must refuse before sending anything.
  for how in alone dialog; do
    extra=()
    [ "$how" = dialog ] && extra=(KONFEX_HOME="$data")
    status=0
    as_user "${extra[@]}" timeout 30 "$root/usr/lib/konfex/Ethernet_Update" --headless >"$tmp/updater" 2>&1 || status=$?
    cat "$tmp/updater"
    [ "$status" -ne 0 ] || fail "the updater ($how) succeeded without a job file"
    grep -qF "$data/Ethernet_Update.xml" "$tmp/updater" || fail "the updater ($how) does not look in $data"
  done
  pass "the updater looks for its job file in the per-user folder"
fi

[ "$before" = "$(installed_files)" ] || fail "something was written into the install tree"
pass "the install tree stays untouched"
echo "package checks: $checks passed"
