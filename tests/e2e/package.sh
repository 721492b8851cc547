#!/usr/bin/env bash
# The release as a teacher and a school's IT get it. scripts/package makes the
# portable zip and the 32-bit installer of the product, and an amd64 installer
# of the x86_64 build, signed with a throw-away certificate. Then:
# - the zip holds what the program needs, our programs and the 32-bit core are
#   PE32 i386, the 64-bit core PE32+, the checksums and the version agree, and
#   no shipped program imports anything that Windows 7 lacks;
# - the signatures verify;
# - under wine64 the amd64 installer installs silently into a folder (and
#   refuses a Windows older than 7), with shortcuts and an uninstall entry;
#   the installed Tavrix.exe shows its startup window, the installed encoder
#   records with the 64-bit core; a second install into another folder leaves
#   nothing of the first; the silent uninstall removes files, shortcuts and
#   the entry.
#   package.sh SOURCE_DIR BUILD_DIR      (DISPLAY and WINEPREFIX set)
set -uo pipefail
src=$1
build=$2
source "$src/scripts/lib/session.sh" && session_enter || exit 1  # the session ctest gives the test
wine=/usr/lib/wine/wine64
work=$build/package-test
dist=$work/dist
rm -rf "$work"
mkdir -p "$dist"
# Wine would turn the installer's shortcuts into menu entries of this machine.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"

tavrix_pid=
cleanup() { [ -n "$tavrix_pid" ] && kill "$tavrix_pid" 2>/dev/null; wait 2>/dev/null; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; import -window root "$work/failure.png" 2>/dev/null; exit 1; }
step() { echo "== $* ($SECONDS s)"; }
winpath() { echo "Z:${1//\//\\}"; }

version=$(sed -n 's/^project(Tavrix VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
[ -n "$version" ] || fail "no project version in CMakeLists.txt"

step "a core that does not match its pinned SHA-256 stops the package"
# A cache with the right 32-bit core and a wrong 64-bit one, and an npm that
# can only offer a tampered build.
cache=$work/cache
mkdir -p "$cache/ffmpeg-core/ia32" "$cache/ffmpeg-core/x64" "$work/fake-npm"
ln -s "${TAVRIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrix}/ffmpeg-core/ia32/ffmpeg.exe" "$cache/ffmpeg-core/ia32/ffmpeg.exe"
echo wrong >"$cache/ffmpeg-core/x64/ffmpeg.exe"
printf '#!/bin/sh\nmkdir -p package && echo tampered >package/ffmpeg.exe && tar -czf p.tgz package\n' >"$work/fake-npm/npm"
chmod +x "$work/fake-npm/npm"
PATH=$work/fake-npm:$PATH TAVRIX_CACHE=$cache "$src/scripts/package" --fast --out "$work/refused" win32 \
  >"$work/refused.log" 2>&1 && fail "scripts/package made a package without the 64-bit core"
grep -q "refused @ffmpeg-installer/win32-x64" "$work/refused.log" || { cat "$work/refused.log"; fail "the tampered core was not refused"; }
grep -q "64-bit core .* is missing" "$work/refused.log" || { cat "$work/refused.log"; fail "no message naming the missing core"; }
[ ! -e "$work/refused" ] || fail "scripts/package wrote into its output folder without the core"

step "the product's zip and installer"
"$src/scripts/package" --fast --out "$dist" win32 >"$work/package-win32.log" 2>&1 ||
  { tail -20 "$work/package-win32.log"; fail "scripts/package win32"; }

step "an amd64 installer, signed with a throw-away certificate"
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Tavrix test signing" -days 2 \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 ||
  fail "openssl could not make a certificate"
TAVRIX_SIGN_CERT=$work/cert.pem TAVRIX_SIGN_KEY=$work/key.pem \
  "$src/scripts/package" --fast --out "$dist" win64 >"$work/package-win64.log" 2>&1 ||
  { tail -20 "$work/package-win64.log"; fail "scripts/package win64"; }

zip=$dist/Tavrix-$version-win32.zip
setup32=$dist/Tavrix-$version-win32-setup.exe
setup64=$dist/Tavrix-$version-win64-setup.exe
for f in "$zip" "$setup32" "$setup64"; do [ -s "$f" ] || fail "$(basename "$f") missing: the names follow the CMake version"; done
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the packages"
[ "$(wc -l <"$dist/SHA256SUMS")" -eq 3 ] || fail "SHA256SUMS should list the three packages: $(cat "$dist/SHA256SUMS")"
ls -l "$dist"

step "the zip's contents"
unzip -q "$zip" -d "$work/zip" || fail "unzip"
portable=$work/zip/Tavrix
expected="LICENSE.txt THIRD-PARTY.txt Tavrix.exe ffmpeg-core-x64.exe ffmpeg-core.exe ffmpeg.exe hookDLL.dll
skin/TSSkin.xml skin/crose_nor.png skin/process.xml skin/ready.xml skin/startup.xml skin/status.xml
skin/tick_nor.png 使用说明.txt"
for f in $expected; do [ -s "$portable/$f" ] || fail "the zip lacks Tavrix/$f"; done
for f in Tavrix.exe hookDLL.dll ffmpeg.exe ffmpeg-core.exe; do
  file -b "$portable/$f" | grep -q '^PE32 .*Intel 80386' || fail "$f is not PE32 i386: $(file -b "$portable/$f")"
done
file -b "$portable/ffmpeg-core-x64.exe" | grep -q '^PE32+ .*x86-64' ||
  fail "ffmpeg-core-x64.exe is not PE32+: $(file -b "$portable/ffmpeg-core-x64.exe")"
head -c3 "$portable/使用说明.txt" | od -An -tx1 | grep -q 'ef bb bf' || fail "the guide lacks its UTF-8 mark"
grep -q 'Windows 7' "$portable/使用说明.txt" || fail "the guide does not name the minimum Windows"

step "imports of every shipped program against the Windows 7 floor"
bash "$src/tests/e2e/windows_floor.sh" "$src/tests/e2e/windows7-imports.txt" \
  "$portable/Tavrix.exe" "$portable/hookDLL.dll" "$portable/ffmpeg.exe" \
  "$portable/ffmpeg-core.exe" "$portable/ffmpeg-core-x64.exe" || fail "an import raises the minimum Windows"

verify_signature() {
  osslsigncode verify -in "$1" -CAfile "$work/cert.pem" >"$work/verify.log" 2>&1 ||
    { tail -5 "$work/verify.log"; fail "the signature of $(basename "$1") does not verify"; }
}
step "signatures"
verify_signature "$setup64"
osslsigncode verify -in "$portable/Tavrix.exe" -CAfile "$work/cert.pem" >/dev/null 2>&1 &&
  fail "the unsigned build's Tavrix.exe claims a signature"

# Installs under wine64: the folders and the registry as Windows shows them.
c=$WINEPREFIX/drive_c
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tavrix 课堂录屏.lnk"
desktop="$c/users/Public/Desktop/Tavrix 课堂录屏.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrix'
entry() { "$wine" reg query "$key" /v "$1" 2>/dev/null | iconv -f CP936 -t UTF-8 | tr -d '\r' | awk -v n="$1" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
run_setup() {  # folder (Windows path): installs silently, waits, gives the exit code
  "$wine" "$setup64" /S "/D=$1" >/dev/null 2>&1
}

step "a Windows older than 7 is refused"
appkey="HKCU\\Software\\Wine\\AppDefaults\\$(basename "$setup64")"
"$wine" reg add "$appkey" /v Version /d vista /f >/dev/null 2>&1
run_setup 'C:\Tavrix-vista'; rc=$?
"$wine" reg delete "$appkey" /f >/dev/null 2>&1
[ "$rc" -eq 3 ] || fail "on Vista the installer ended with $rc, expected 3"
[ ! -e "$c/Tavrix-vista" ] || fail "on Vista the installer still wrote files"

step "silent install into a folder"
first='C:\课堂\Tavrix'
dir1="$c/课堂/Tavrix"
run_setup "$first"; rc=$?
[ "$rc" -eq 0 ] || fail "the installer ended with $rc"
for f in $expected uninstall.exe; do [ -s "$dir1/$f" ] || fail "not installed: $f"; done
for f in Tavrix.exe hookDLL.dll ffmpeg.exe uninstall.exe; do verify_signature "$dir1/$f"; done
cmp -s "$dir1/ffmpeg-core-x64.exe" "$portable/ffmpeg-core-x64.exe" || fail "the installed 64-bit core differs"
[ -f "$menu" ] || fail "no Start-menu shortcut"
[ -f "$desktop" ] || fail "no desktop shortcut"
[ "$(entry DisplayName)" = "Tavrix 课堂录屏" ] || fail "uninstall entry: DisplayName '$(entry DisplayName)'"
[ "$(entry DisplayVersion)" = "$version" ] || fail "uninstall entry: DisplayVersion '$(entry DisplayVersion)', expected $version"
[ "$(entry Publisher)" = "Tavrix" ] || fail "uninstall entry: Publisher '$(entry Publisher)'"
[ "$(entry DisplayIcon)" = "$first\\Tavrix.exe,0" ] || fail "uninstall entry: DisplayIcon '$(entry DisplayIcon)'"
[ "$(entry InstallLocation)" = "$first" ] || fail "uninstall entry: InstallLocation '$(entry InstallLocation)'"
size=$(entry EstimatedSize)
[ $((size)) -gt 50000 ] || fail "uninstall entry: EstimatedSize '$size' KB"
echo "installed: $(du -sk "$dir1" | cut -f1) KB, EstimatedSize $((size)) KB"

step "the installed program shows its startup window"
(cd "$dir1" && exec "$wine" Tavrix.exe >/dev/null 2>&1) &
tavrix_pid=$!
window=
for _ in $(seq 150); do
  window=$(xdotool search --onlyvisible --name '^Tavrix$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 "$tavrix_pid" 2>/dev/null || fail "the installed Tavrix.exe ended at once"
  sleep 0.1
done
[ -n "$window" ] || fail "the installed Tavrix.exe showed no startup window"
sleep 0.5
import -window root "$work/installed-startup.png" 2>/dev/null

step "while it runs, the uninstaller refuses"
"$wine" "$dir1/uninstall.exe" /S "_?=$first" >/dev/null 2>&1; rc=$?
[ "$rc" -eq 4 ] || fail "the uninstaller ended with $rc while the program ran, expected 4"
[ -s "$dir1/Tavrix.exe" ] || fail "the uninstaller removed files while the program ran"
kill "$tavrix_pid" 2>/dev/null; wait "$tavrix_pid" 2>/dev/null; tavrix_pid=

step "the installed encoder records with the 64-bit core"
rec=$work/recording
mkdir -p "$rec"
mkfifo "$rec/commands"
"$wine" "$dir1/ffmpeg.exe" -y -pause_support -f dshow -i 'video=screen-capture-recorder' \
  -pix_fmt yuv420p -c:v libx264 -r 10 -crf 28 -maxrate 350k -profile main -preset veryfast "$(winpath "$rec")\\out.avi" \
  <"$rec/commands" >"$rec/adapter.out" 2>&1 &
adapter=$!
exec 3>"$rec/commands"
started=0
for _ in $(seq 300); do
  grep -q "INFO: segment 1: " "$rec/out.avi.encoder.log" 2>/dev/null && { started=1; break; }
  kill -0 "$adapter" 2>/dev/null || break
  sleep 0.05
done
[ "$started" = 1 ] || { cat "$rec/adapter.out" "$rec/out.avi.encoder.log" 2>/dev/null | tail -15; fail "the installed encoder did not start recording"; }
# Quit once the segment grew past its first write, so it holds pictures even
# when a loaded machine delays the core's first frames.
segment=$rec/out.avi.part001.mkv
first=$(stat -c %s "$segment" 2>/dev/null || echo 0)
for _ in $(seq 150); do [ "$(stat -c %s "$segment" 2>/dev/null || echo 0)" -gt "$first" ] && break; sleep 0.1; done
sleep 0.5
printf 'q\n' >&3
exec 3>&-
wait "$adapter"; rc=$?
[ "$rc" -eq 0 ] || { cat "$rec/out.avi.encoder.log" "$rec/adapter.out" 2>/dev/null | tail -15; fail "the installed encoder ended with $rc"; }
grep -q 'ffmpeg-core-x64.exe' "$rec/out.avi.encoder.log" || { tail -15 "$rec/out.avi.encoder.log"; fail "the encoder did not start the 64-bit core"; }
ffprobe -v error "$rec/out.avi" || fail "the installed encoder's recording does not decode"

step "the 64-bit core's licence is the one THIRD-PARTY names"
"$wine" "$dir1/ffmpeg-core-x64.exe" -hide_banner -version 2>/dev/null | tr -d '\r' >"$work/core-version.txt"
core_version=$(sed -n 's/^ffmpeg version \([^ ]*\).*/\1/p' "$work/core-version.txt")
[ -n "$core_version" ] || fail "the installed 64-bit core did not run"
grep -q "ffmpeg version $core_version" "$dir1/THIRD-PARTY.txt" || fail "THIRD-PARTY does not name core $core_version"
if grep -q -- '--enable-gpl' "$work/core-version.txt"; then
  if grep -q -- '--enable-version3' "$work/core-version.txt"; then licence='GNU GENERAL PUBLIC LICENSE.*Version 3'; else licence='GNU GENERAL PUBLIC LICENSE.*Version 2'; fi
else
  licence='GNU LESSER GENERAL PUBLIC LICENSE'
fi
tr -d '\r\n' <"$dir1/THIRD-PARTY.txt" | grep -q "$licence" || fail "THIRD-PARTY lacks the core's licence text ($licence)"

step "installing again into another folder leaves nothing of the first"
echo stale >"$dir1/skin/old-skin.xml"
second='C:\Tavrix2'
dir2=$c/Tavrix2
run_setup "$second"; rc=$?
[ "$rc" -eq 0 ] || fail "the second install ended with $rc"
[ ! -e "$dir1" ] || fail "the first install's folder stays: $(cd "$dir1" && find . | head -5 | tr '\n' ' ')"
for f in $expected uninstall.exe; do [ -s "$dir2/$f" ] || fail "not installed the second time: $f"; done
[ "$(entry InstallLocation)" = "$second" ] || fail "uninstall entry after the second install: '$(entry InstallLocation)'"
[ -f "$menu" ] && [ -f "$desktop" ] || fail "shortcuts missing after the second install"

step "silent uninstall"
"$wine" "$dir2/uninstall.exe" /S >/dev/null 2>&1
# The uninstaller runs on from a copy of itself: wait for its work to show.
for _ in $(seq 200); do [ ! -e "$dir2" ] && break; sleep 0.1; done
[ ! -e "$dir2" ] || fail "the program's folder stays after the uninstall: $(cd "$dir2" && find . | head -5 | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "the Start-menu shortcut stays"
[ ! -e "$desktop" ] || fail "the desktop shortcut stays"
for _ in $(seq 50); do "$wine" reg query "$key" >/dev/null 2>&1 || break; sleep 0.1; done
"$wine" reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry stays"
step "passed"
