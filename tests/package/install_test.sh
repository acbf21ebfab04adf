#!/usr/bin/env bash
# Runs the suite from its package unpacked into a temporary root, without installing anything:
#   install_test.sh PACKAGE.deb SOURCE_DIR
# The unpacked umvtool reads a sample recording and marks a still with the watermark pattern of
# its own program directory; the unpacked player opens a recording offscreen, in German from its
# own pack, and writes a screenshot. HOME is an empty temporary folder. Every file the programs
# open for writing, create, rename or remove (traced with strace) must lie in HOME, the runtime
# folder or the output folder, the unpacked tree must be unchanged afterwards, and the programs
# must find their libraries and resources with no path into the build tree.
set -euo pipefail
deb=$(realpath "$1")
source_dir=$(realpath "$2")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "install_test: $*" >&2; failures=$((failures + 1)); }

root=$tmp/root home=$tmp/home runtime=$tmp/runtime out=$tmp/out
mkdir -p "$home" "$out" && mkdir -m 700 "$runtime"
dpkg-deb -x "$deb" "$root"
programs=$root/usr/lib/halvex

# Libraries come from the system: no RPATH or RUNPATH, and nothing names the build tree.
for program in "$programs"/*; do
  if [ -f "$program" ] && [ -x "$program" ] && readelf -d "$program" | grep -E 'RPATH|RUNPATH'; then
    fail "$(basename "$program") has a library path"
  fi
done
if grep -rlF "$source_dir" "$root"; then fail "the package names the source or build tree"; fi

snapshot() { (cd "$root" && find . -printf '%p %y %s %m %T@\n' | sort); }
snapshot >"$tmp/before"

# Runs a command of the unpacked package with a clean environment, traced where strace may
# trace (a container that forbids ptrace leaves the other checks).
calls=open,openat,creat,mkdir,mkdirat,rename,renameat,renameat2,unlink,unlinkat,link,linkat
tracer=(strace -f -qq -e "trace=$calls,symlink,symlinkat,truncate")
if ! "${tracer[@]}" -o /dev/null true 2>/dev/null; then
  echo "install_test: strace cannot trace here: writes are checked by the folders only" >&2
  tracer=()
fi
run() {
  local name=$1
  shift
  local trace=()
  [ ${#tracer[@]} -eq 0 ] || trace=("${tracer[@]}" -o "$tmp/$name.trace")
  (cd "$out" && env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime" LANG=C.UTF-8 \
    QT_QPA_PLATFORM=offscreen "${trace[@]}" "$@" >"$tmp/$name.out" 2>"$tmp/$name.err")
}

samples=("$source_dir"/samples/d1_4ch/*/*.idx)
sample=${samples[0]}
if run info "$root/usr/bin/umvtool" info "$sample"; then
  grep -q "channels" "$tmp/info.out" || fail "umvtool info printed: $(cat "$tmp/info.out")"
else
  fail "umvtool info failed: $(cat "$tmp/info.err")"
fi

# Marking a still takes the default pattern from the program directory.
stills=("$source_dir"/samples/stills/*.jpg)
still=${stills[0]}
run watermark "$root/usr/bin/umvtool" watermark embed "$still" "$out/marked.jpg" ||
  fail "umvtool watermark embed failed: $(cat "$tmp/watermark.err")"
[ -s "$out/marked.jpg" ] || fail "no marked still"
if [ -e "$tmp/watermark.trace" ]; then
  grep -qE "openat\(AT_FDCWD, \"$programs/Mark4015.raw\", O_RDONLY.*\) = [0-9]+" "$tmp/watermark.trace" ||
    fail "umvtool did not read the pattern from $programs"
fi

# The player in German: its pack is read from the unpacked program directory.
ini=$home/.config/Halvex/Environments.ini
mkdir -p "$(dirname "$ini")"
[ -f "$ini" ] || printf '%s\n' '[HKEY_LOCAL_MACHINE\Software\Halvex\Environments]' >"$ini"
echo "Language=GERMAN" >>"$ini"
run player "$root/usr/bin/Orvane_M4" "$sample" --screenshot "$out/shot.png" ||
  fail "Orvane_M4 --screenshot failed: $(cat "$tmp/player.err")"
if [ -s "$out/shot.png" ]; then
  /usr/bin/python3 - "$out/shot.png" <<'PY' || fail "the screenshot is not a window-sized PNG"
import struct, sys
data = open(sys.argv[1], "rb").read(24)
width, height = struct.unpack(">II", data[16:24])
sys.exit(0 if data[:8] == b"\x89PNG\r\n\x1a\n" and width >= 640 and height >= 480 else 1)
PY
else
  fail "no screenshot"
fi

# The settings the programs wrote: the watermark pattern is the one of the unpacked program
# directory, and the folders the player writes to lie in the user's data folder.
[ -f "$ini" ] || fail "no settings file in HOME"
expect_setting() {
  grep -qxF "$1=$2" "$ini" || fail "setting $1 is not $2: $(grep "^$1=" "$ini" || echo missing)"
}
if [ -f "$ini" ]; then
  expect_setting WaterMark "$programs/Mark4015.raw"
  expect_setting RecordPath "$home/.local/share/Halvex/Record/"
  expect_setting CapturePath "$home/.local/share/Halvex/Frame/"
fi

if [ -e "$tmp/player.trace" ]; then
  grep -qE "openat\(AT_FDCWD, \"$programs/Orvane_M4_GermanDll.rcc\", O_RDONLY.*\) = [0-9]+" "$tmp/player.trace" ||
    fail "the player did not read its German pack from $programs"
fi

# Nothing was written outside HOME, the runtime folder and the output folder.
for trace in "$tmp"/*.trace; do
  [ -e "$trace" ] || continue
  /usr/bin/python3 - "$trace" "$home" "$runtime" "$out" <<'PY' || fail "$(basename "$trace" .trace) wrote outside its folders"
import re, sys
trace, *allowed = sys.argv[1:]
allowed = [a.rstrip("/") + "/" for a in allowed] + ["/dev/", "/proc/self/", "/sys/"]
call = re.compile(r'^\d+ +(\w+)\((.*)\) += (-?\d+)')
bad = []
for line in open(trace):
    m = call.match(line)
    if not m or m.group(3).startswith("-"):
        continue  # not a call, or one that failed and changed nothing
    name, args = m.group(1), m.group(2)
    if name in ("open", "openat") and not re.search(r"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC", args):
        continue
    for path in re.findall(r'"((?:[^"\\]|\\.)*)"', args):
        if path.startswith("/") and not any(path.startswith(a) or path + "/" == a for a in allowed):
            bad.append(f"{name} {path}")
for b in sorted(set(bad)):
    print("  wrote:", b, file=sys.stderr)
sys.exit(1 if bad else 0)
PY
done
snapshot >"$tmp/after"
diff "$tmp/before" "$tmp/after" || fail "the unpacked program directory changed"
extra=$(find "$out" -mindepth 1 -printf '%P\n' | grep -vxE 'marked.jpg|shot.png' || true)
[ -z "$extra" ] || fail "unexpected files in the working folder: $extra"

if [ "$failures" -ne 0 ]; then
  echo "install_test: $failures check(s) failed" >&2
  exit 1
fi
echo "install_test: the unpacked package runs from its own folder and writes only under HOME"
echo "  written under HOME: $(cd "$home" && find . -type f | sort | tr '\n' ' ')"
