#!/usr/bin/env bash
# Checks a built Debian package of the suite:
#   check_package.sh PACKAGE.deb EXPECTED-CONTENTS
# EXPECTED-CONTENTS is build-package/packaging/expected-contents.txt (one "./usr/..." path a line,
# written at configure time from the programs the build has). The package must hold every one of
# them and nothing outside /usr; lintian must report no errors (its warnings are printed);
# both desktop entries and both AppStream files must validate; the file types must load into a
# MIME database with their globs; icons must have the size their folder says; manual pages must
# render without warnings.
set -euo pipefail
deb=$1
expected=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "check_package: $*" >&2; failures=$((failures + 1)); }

# ---- control data ----
info=$(dpkg-deb --info "$deb")
echo "$info" | sed -n '/^ Package:/,$p'
for field in "Package: halvex-dvr" "Section: video" "Architecture: $(dpkg --print-architecture)"; do
  grep -q "^ $field\$" <<<"$info" || fail "control field missing: $field"
done
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
# The library dependencies are computed: the C library, Qt and the others must be named.
for library in libc6 libqt6widgets6 libcurl4 libsdl2 libjpeg62-turbo qt6-qpa-plugins; do
  grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done

# ---- contents ----
dpkg-deb --contents "$deb" | awk '{ print $6 }' | sed 's:/$::' | sort >"$tmp/contents"
while read -r path; do
  grep -qxF "$path" "$tmp/contents" || fail "missing from the package: $path"
done <"$expected"
while read -r path; do
  case "$path" in
    . | ./usr | ./usr/*) ;;
    *) fail "outside /usr: $path" ;;
  esac
done <"$tmp/contents"
# The commands on PATH are relative links into the program directory.
dpkg-deb --contents "$deb" | awk '$1 ~ /^l/ && $6 ~ /^\.\/usr\/bin\// { print $6, $8 }' |
  while read -r link target; do
    [ "$target" = "../lib/halvex/$(basename "$link")" ] ||
      echo "check_package: $link points at $target" >&2
  done | grep . && fail "a command link does not point into /usr/lib/halvex"

# ---- lintian ----
if lintian --fail-on error --tag-display-limit 0 --allow-root "$deb" >"$tmp/lintian" 2>&1; then
  echo "lintian: no errors"
else
  fail "lintian reports errors"
fi
sed 's/^/  /' "$tmp/lintian"

# ---- files inside ----
root=$tmp/root
dpkg-deb -x "$deb" "$root"
entries=("$root"/usr/share/applications/*.desktop)
[ -e "${entries[0]}" ] || fail "no desktop entries"
for entry in "${entries[@]}"; do
  desktop-file-validate "$entry" || fail "desktop-file-validate: $(basename "$entry")"
done
grep -q '^MimeType=.*video/x-halvex-umv;' "$root/usr/share/applications/com.halvex.Orvane_M4.desktop" ||
  fail "the player's entry does not open recordings"
grep -q '^Exec=Orvane_M4 %f$' "$root/usr/share/applications/com.halvex.Orvane_M4.desktop" ||
  fail "the player's entry does not pass the file"
for metainfo in "$root"/usr/share/metainfo/*.xml; do
  appstreamcli validate --no-net "$metainfo" >"$tmp/appstream" 2>&1 ||
    { cat "$tmp/appstream"; fail "appstreamcli: $(basename "$metainfo")"; }
done

# The file types load into a MIME database and name their globs (and the data file's magic).
mkdir -p "$tmp/mime/packages"
cp "$root"/usr/share/mime/packages/halvex-dvr.xml "$tmp/mime/packages/"
if update-mime-database "$tmp/mime" >"$tmp/mime.log" 2>&1 && ! grep -qi "error\|warning" "$tmp/mime.log"; then
  for glob in 'video/x-halvex-umv:\*\.umv' 'application/x-halvex-idx:\*\.idx' \
    'image/x-halvex-ums:\*\.ums' 'image/x-halvex-still:\*,??????_??????,\*,\*\.jpg'; do
    grep -q ":$glob\$" "$tmp/mime/globs2" || fail "MIME database lacks the glob $glob"
  done
  grep -q '^\[40:video/x-halvex-umv\]' "$tmp/mime/magic" || fail "MIME database lacks the .umv magic"
else
  cat "$tmp/mime.log"
  fail "the MIME XML does not load"
fi

# Double-clicking a recording or a still opens the player: the desktop database maps each type
# to its entry.
mkdir -p "$tmp/applications"
cp "$root"/usr/share/applications/*.desktop "$tmp/applications/"
update-desktop-database "$tmp/applications"
for type in video/x-halvex-umv application/x-halvex-idx image/x-halvex-ums image/x-halvex-still; do
  grep -q "^$type=.*com.halvex.Orvane_M4.desktop" "$tmp/applications/mimeinfo.cache" ||
    fail "no application opens $type"
done

# Icons: a PNG at each size its folder names, and the SVG.
for png in "$root"/usr/share/icons/hicolor/*x*/apps/*.png; do
  folder=$(basename "$(dirname "$(dirname "$png")")")
  size=$(/usr/bin/python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "not-png")' "$png")
  [ "$size" = "$folder" ] || fail "$png is $size"
done

# Manual pages render without warnings.
for page in "$root"/usr/share/man/man1/*.1.gz; do
  out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$out" ] || { echo "$out"; fail "man warns about $(basename "$page")"; }
  zcat "$page" | grep -q '^\.SH SYNOPSIS' || fail "$(basename "$page") has no synopsis"
done

if [ "$failures" -ne 0 ]; then
  echo "check_package: $failures check(s) failed" >&2
  exit 1
fi
echo "check_package: $(wc -l <"$expected") expected files present, all checks passed"
