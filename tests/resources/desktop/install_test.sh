#!/usr/bin/env bash
# cmake --install of a built tree as users do it, each into a fresh temporary folder:
#   user   `cmake --install B --prefix P` with P given only now (a folder with a blank in its
#          name), run as an ordinary user when this runs as root, so a write outside P fails;
#   local  DESTDIR=D with the /usr/local prefix (as a package build does), and its uninstall;
#   usr    DESTDIR=D with the /usr prefix: the autostart entry in /etc, the udev rule in
#          udev's own folder.
# Each checks every file the install wrote (nothing missing, nothing else, nothing outside the
# prefix), that the menu entries' Exec lines name the installed programs and that
# desktop-file-validate accepts the entries; the user case also starts the installed VykCfg
# (and VykMon) offscreen from the prefix and checks from its diagnostic line that it read its
# config.ini and its pictures there, then uninstalls (scripts/uninstall.cmake) and checks that
# exactly the installed files went.
#
#   install_test.sh <build folder> <source folder>      exit 0 passed, 1 failed, 77 skipped
set -uo pipefail
build="$1"
src="$2"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! command -v desktop-file-validate >/dev/null; then
  echo "SKIP: desktop-file-validate is missing (scripts/setup.sh installs desktop-file-utils)"
  exit 77
fi

tmp="$(mktemp -d)"
chmod 755 "$tmp"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT

udev_rules_dir="$(sed -n 's/^VYK_UDEV_RULES_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")"
libdir="$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")"
libdir="${libdir:-lib}"

# What every install holds below its prefix: the program folder (a copy of <build>/bin), the
# links, the menu entries and the icons.
expected_below_prefix() {
  (cd "$build/bin" && find . \( -type f -o -type l \) ! -name '*.a' | sed "s#^\./#$libdir/vyk/#")
  echo bin/VykCfg
  echo bin/VykMon
  echo share/applications/vykcfg.desktop
  echo share/applications/vykmon.desktop
  (cd "$build/icons" && find hicolor -type f | sed 's#^#share/icons/#')
}

# Checks the files under root against the expected list (paths relative to root).
check_files() {
  local name="$1" root="$2" expected="$3"
  local found
  found="$(cd "$root" && find . \( -type f -o -type l \) | sed 's#^\./##' | LC_ALL=C sort)"
  expected="$(echo "$expected" | LC_ALL=C sort)"
  if [ "$found" != "$expected" ]; then
    fail "$name: the installed files differ from the expected ones:"
    diff <(echo "$expected") <(echo "$found") >&2
  fi
}

# The program an Exec line starts: its first argument, unquoted as the desktop entry
# specification says (string escapes first, then the quoting rule).
exec_program() {
  local line value
  line="$(grep -m1 '^Exec=' "$1")"
  value="${line#Exec=}"
  value="${value//\\\\/\\}"  # string escape: \\ -> \
  if [ "${value:0:1}" = '"' ]; then
    value="${value:1}"
    local out="" c
    while [ -n "$value" ]; do
      c="${value:0:1}"
      value="${value:1}"
      if [ "$c" = '\' ]; then
        out+="${value:0:1}"
        value="${value:1}"
      elif [ "$c" = '"' ]; then
        break
      else
        out+="$c"
      fi
    done
    echo "$out"
  else
    echo "${value%% *}"
  fi
}

# Entries: each Exec names <prefix>/<libdir>/vyk/<program>, which is there below destdir and
# runs; desktop-file-validate has no remark.
check_entries() {
  local name="$1" destdir="$2" prefix="$3"
  shift 3
  local entry program want
  for entry in "$@"; do
    case "$(basename "$entry")" in
      vykcfg.desktop) want=VykCfg ;;
      *) want=VykMon ;;
    esac
    program="$(exec_program "$entry")"
    [ "$program" = "$prefix/$libdir/vyk/$want" ] || fail "$name: $entry starts '$program', not $prefix/$libdir/vyk/$want"
    [ -x "$destdir$program" ] && [ -f "$destdir$program" ] || fail "$name: $entry starts $program, which is not installed"
    local remarks
    remarks="$(desktop-file-validate "$entry" 2>&1)"
    [ -z "$remarks" ] || fail "$name: desktop-file-validate $entry: $remarks"
  done
  for prog in VykCfg VykMon; do
    [ "$(readlink -f "$destdir$prefix/bin/$prog")" = "$(readlink -f "$destdir$prefix/$libdir/vyk/$prog")" ] ||
      fail "$name: bin/$prog does not lead to the installed program"
  done
}

# Waits until file holds a line matching the pattern (10 s at most).
wait_for_line() {
  for _ in $(seq 1 100); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# ---- user: the prefix given only at install time, by a user who may write nothing else.
prefix="$tmp/user home/.local"
mkdir -p "$prefix/share/applications" "$prefix/bin"
# Files of other software in the prefix: the uninstall leaves them.
echo keep >"$prefix/share/applications/other.desktop"
echo keep >"$prefix/bin/other"
runas=()
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  if setpriv --reuid=65534 --regid=65534 --clear-groups test -r "$build/cmake_install.cmake"; then
    chown -R 65534:65534 "$tmp/user home"
    runas=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$tmp/user home")
    # cmake --install writes its manifest into the build folder, which that user may not.
    touch "$build/install_manifest.txt"
    chown 65534:65534 "$build/install_manifest.txt"
  else
    echo "note: the build folder is not readable by an ordinary user; installing as root" >&2
  fi
fi
if ! "${runas[@]}" cmake --install "$build" --prefix "$prefix" >"$tmp/user.log" 2>&1; then
  fail "user: cmake --install --prefix failed:"
  cat "$tmp/user.log" >&2
fi
check_files user "$tmp/user home" "$(
  expected_below_prefix | sed 's#^#.local/#'
  echo .local/etc/xdg/autostart/vykmon.desktop
  echo .local/share/applications/other.desktop
  echo .local/bin/other
)"
check_entries user "" "$prefix" "$prefix/share/applications/vykcfg.desktop" \
  "$prefix/share/applications/vykmon.desktop" "$prefix/etc/xdg/autostart/vykmon.desktop"
grep -q '^Icon=vykcfg$' "$prefix/share/applications/vykcfg.desktop" || fail "user: the VykCfg entry names no icon of its own"

# The installed programs start from the prefix with a private home, runtime folder and
# Documents; VykMon first, so VykCfg finds it and starts no second one.
home="$tmp/run-home"
mkdir -p "$home/runtime" "$home/Documents"
chmod 700 "$home/runtime"
log="$home/debug.log"
(
  unset VYK_EXE_DIR VYK_DOCUMENTS_DIR VYK_REGISTRY_ROOT VYK_SIM_SOCKET
  export HOME="$home" XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
  export XDG_DOCUMENTS_DIR="$home/Documents" QT_QPA_PLATFORM=offscreen PULSE_SERVER="$home/no-pulse"
  export VYK_DEBUG=1 VYK_DEBUG_LOG="$log" ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
  exec "$prefix/bin/VykMon" >"$home/mon.out" 2>&1
) &
pids+=($!)
for _ in $(seq 1 100); do
  [ -S "$home/runtime/vyk/TVYKMONMAIN.sock" ] || ls "$home/runtime/vyk/" 2>/dev/null | grep -q TVYKMONMAIN && break
  sleep 0.1
done
(
  unset VYK_EXE_DIR VYK_DOCUMENTS_DIR VYK_REGISTRY_ROOT VYK_SIM_SOCKET
  export HOME="$home" XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
  export XDG_DOCUMENTS_DIR="$home/Documents" QT_QPA_PLATFORM=offscreen PULSE_SERVER="$home/no-pulse"
  export VYK_DEBUG=1 VYK_DEBUG_LOG="$log" ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
  exec "$prefix/bin/VykCfg" >"$home/cfg.out" 2>&1
) &
cfg=$!
pids+=($cfg)
if wait_for_line "$log" "^VykCfg: config.ini"; then
  line="$(grep -m1 '^VykCfg: config.ini' "$log")"
  app="$prefix/$libdir/vyk"
  [[ "$line" == "VykCfg: config.ini $app/config.ini (read); "* ]] || fail "user: VykCfg did not read its config.ini: $line"
  pictures="$(echo "$line" | sed -n 's/.*; \([0-9]*\) skin pictures loaded from \(.*\)$/\1/p')"
  folder="$(echo "$line" | sed -n 's/.* skin pictures loaded from \(.*\)$/\1/p')"
  [ "${pictures:-0}" -ge 20 ] || fail "user: VykCfg loaded ${pictures:-no} skin pictures: $line"
  [ "$folder" = "$app/images/0409/" ] || fail "user: VykCfg took its pictures from $folder"
  [ -f "$home/Documents/VykProfile/MacroDB/MacroSet.MSDB" ] || fail "user: VykCfg made no macro database in Documents"
else
  fail "user: the installed VykCfg did not come up:"
  cat "$home/cfg.out" "$log" >&2 2>/dev/null
fi
for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null; done
for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
pids=()

# Uninstall: exactly the installed files go, the others' stay.
if ! "${runas[@]}" cmake -DMANIFEST="$build/install_manifest.txt" -P "$src/scripts/uninstall.cmake" >"$tmp/un.log" 2>&1; then
  fail "user: uninstall failed:"
  cat "$tmp/un.log" >&2
fi
[ ${#runas[@]} -eq 0 ] || chown 0:0 "$build/install_manifest.txt"
check_files "user uninstall" "$tmp/user home" "$(printf '%s\n' .local/share/applications/other.desktop .local/bin/other)"
[ ! -e "$prefix/$libdir/vyk" ] || fail "user: the program folder is still there after the uninstall"

# ---- local: DESTDIR with the /usr/local prefix.
dest="$tmp/local-dest"
if ! DESTDIR="$dest" cmake --install "$build" --prefix /usr/local >"$tmp/local.log" 2>&1; then
  fail "local: DESTDIR install failed:"
  cat "$tmp/local.log" >&2
fi
check_files local "$dest" "$(
  expected_below_prefix | sed 's#^#usr/local/#'
  echo usr/local/etc/xdg/autostart/vykmon.desktop
)"
check_entries local "$dest" /usr/local "$dest/usr/local/share/applications/vykcfg.desktop" \
  "$dest/usr/local/share/applications/vykmon.desktop" "$dest/usr/local/etc/xdg/autostart/vykmon.desktop"
grep -qx "/usr/local/bin/VykCfg" "$build/install_manifest.txt" || fail "local: the manifest lacks bin/VykCfg"
if ! DESTDIR="$dest" cmake -DMANIFEST="$build/install_manifest.txt" -P "$src/scripts/uninstall.cmake" >"$tmp/un.log" 2>&1; then
  fail "local: uninstall with DESTDIR failed:"
  cat "$tmp/un.log" >&2
fi
check_files "local uninstall" "$dest" ""

# ---- usr: DESTDIR with the /usr prefix: /etc/xdg/autostart and udev's folder.
dest="$tmp/usr-dest"
if ! DESTDIR="$dest" cmake --install "$build" --prefix /usr >"$tmp/usr.log" 2>&1; then
  fail "usr: DESTDIR install failed:"
  cat "$tmp/usr.log" >&2
fi
check_files usr "$dest" "$(
  expected_below_prefix | sed 's#^#usr/#'
  echo etc/xdg/autostart/vykmon.desktop
  echo "${udev_rules_dir#/}/70-vyk-mouse.rules"
)"
check_entries usr "$dest" /usr "$dest/usr/share/applications/vykcfg.desktop" \
  "$dest/usr/share/applications/vykmon.desktop" "$dest/etc/xdg/autostart/vykmon.desktop"
cmp -s "$src/resources/udev/70-vyk-mouse.rules" "$dest$udev_rules_dir/70-vyk-mouse.rules" || fail "usr: the udev rule differs"

if [ "$failures" -gt 0 ]; then
  echo "$failures checks failed"
  exit 1
fi
echo "install: all checks passed"
