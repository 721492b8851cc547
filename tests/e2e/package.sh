#!/usr/bin/env bash
# The release as a teacher and a school's IT get it. scripts/package makes the
# portable zip, the 32-bit installer (NSIS x86-unicode) and the encoder cores'
# source archive. Then:
# - no package is made when the cores cannot be had, and nothing is written;
# - the zip holds what the program needs, our programs and the 32-bit core are
#   PE32 i386, the 64-bit core PE32+, the checksums and the version agree, and
#   no shipped program imports anything that Windows 7 lacks;
# - the cores are exactly what scripts/build-core made, name ffmpeg 5.1.9 and
#   x264, no GPL-3-only part, and THIRD-PARTY.txt gives their configuration
#   and licence; the source archive holds the pinned Debian files and the
#   script, pins and manifest of this tree;
# - a package signed with a throw-away certificate verifies, the unsigned one
#   claims no signature;
# - the signed installer, silently, in a 64-bit prefix (as on the 64-bit
#   Windows most schools have) and in a 32-bit one (WINEARCH=win32, as on a
#   32-bit Windows 7): refuses a Windows older than 7; installs into Program
#   Files (x86)\Tavrix, respectively Program Files\Tavrix, with shortcuts and
#   an uninstall entry; the installed Tavrix.exe shows its startup window and
#   the uninstaller refuses while it runs; the installed encoder records, with
#   the 64-bit core, respectively the 32-bit one; a second install into
#   another folder leaves nothing of the first; the silent uninstall leaves
#   nothing.
#   package.sh SOURCE_DIR BUILD_DIR      (DISPLAY and WINEPREFIX, a 64-bit prefix, set)
set -uo pipefail
src=$1
build=$2
source "$src/scripts/lib/session.sh" && session_enter || exit 1  # the session ctest gives the test
wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
work=$build/package-test
dist=$work/dist
prefix64=$WINEPREFIX
prefix32=$work/prefix32
rm -rf "$work"
mkdir -p "$dist"
# Wine would turn the installer's shortcuts into menu entries of this machine.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"

tavrix_pid=
cleanup() {
  [ -n "$tavrix_pid" ] && kill "$tavrix_pid" 2>/dev/null
  [ -d "$prefix32" ] && WINEPREFIX=$prefix32 /usr/lib/wine/wineserver64 -k 2>/dev/null
  wait 2>/dev/null
}
on_exit cleanup
on_fail 'import -window root "$work/failure.png" 2>/dev/null'
squeeze() { tr -s '\r\n\t ' ' ' <"$1"; }

version=$(sed -n 's/^project(Tavrix VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
[ -n "$version" ] || fail "no project version in CMakeLists.txt"

step "without the cores (no cache, Debian's archive unreachable) no package is made"
TAVRIX_CACHE=$work/empty-cache TAVRIX_DEBIAN_ARCHIVE=127.0.0.1:9 "$src/scripts/package" --fast --out "$work/refused" \
  >"$work/refused.log" 2>&1 && fail "scripts/package made a package without the cores"
grep -q "cannot be reached" "$work/refused.log" || { cat "$work/refused.log"; fail "no message that the archive cannot be reached"; }
grep -q "encoder cores could not be had" "$work/refused.log" || { cat "$work/refused.log"; fail "no message naming the cores"; }
[ ! -e "$work/refused" ] || fail "scripts/package wrote into its output folder without the cores"

step "the product's zip, installer and the cores' source"
"$src/scripts/package" --fast --out "$dist" >"$work/package.log" 2>&1 || { tail -20 "$work/package.log"; fail "scripts/package"; }
zip=$dist/Tavrix-$version-win32.zip
setup=$dist/Tavrix-$version-win32-setup.exe
source_tar=$dist/Tavrix-$version-core-source.tar
for f in "$zip" "$setup" "$source_tar"; do [ -s "$f" ] || fail "$(basename "$f") missing: the names follow the CMake version"; done
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the packages"
[ "$(wc -l <"$dist/SHA256SUMS")" -eq 3 ] || fail "SHA256SUMS should list the three files: $(cat "$dist/SHA256SUMS")"
ls -l "$dist"

step "signed with a throw-away certificate"
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Tavrix test signing" -days 2 \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 ||
  fail "openssl could not make a certificate"
TAVRIX_SIGN_CERT=$work/cert.pem TAVRIX_SIGN_KEY=$work/key.pem \
  "$src/scripts/package" --fast --out "$work/signed" >"$work/package-signed.log" 2>&1 ||
  { tail -20 "$work/package-signed.log"; fail "scripts/package with a signing certificate"; }
setup_signed=$work/signed/Tavrix-$version-win32-setup.exe

step "the zip's contents"
unzip -q "$zip" -d "$work/zip" || fail "unzip"
portable=$work/zip/Tavrix
expected="LICENSE.txt THIRD-PARTY.txt Tavrix.exe ffmpeg-core-x64.exe ffmpeg-core.exe ffmpeg.exe hookDLL.dll
skin/TSSkin.xml skin/crose_nor.png skin/pen.xml skin/process.xml skin/ready.xml skin/startup.xml skin/status.xml
skin/tick_nor.png 使用说明.txt"
for f in $expected; do [ -s "$portable/$f" ] || fail "the zip lacks Tavrix/$f"; done
for f in Tavrix.exe hookDLL.dll ffmpeg.exe ffmpeg-core.exe; do
  file -b "$portable/$f" | grep -q '^PE32 .*Intel 80386' || fail "$f is not PE32 i386: $(file -b "$portable/$f")"
done
file -b "$portable/ffmpeg-core-x64.exe" | grep -q '^PE32+ .*x86-64' ||
  fail "ffmpeg-core-x64.exe is not PE32+: $(file -b "$portable/ffmpeg-core-x64.exe")"
head -c3 "$portable/使用说明.txt" | od -An -tx1 | grep -q 'ef bb bf' || fail "the guide lacks its UTF-8 mark"
grep -q 'Windows 7' "$portable/使用说明.txt" || fail "the guide does not name the minimum Windows"
echo "zip $(stat -c %s "$zip") bytes (--fast, stored), installed $(du -sk "$portable" | cut -f1) KB"

step "imports of every shipped program against the Windows 7 floor"
bash "$src/tests/e2e/windows_floor.sh" "$src/tests/e2e/windows7-imports.txt" \
  "$portable/Tavrix.exe" "$portable/hookDLL.dll" "$portable/ffmpeg.exe" \
  "$portable/ffmpeg-core.exe" "$portable/ffmpeg-core-x64.exe" || fail "an import raises the minimum Windows"

step "the cores are build-core's, and THIRD-PARTY says what they are"
cores=$("$src/scripts/build-core" 2>"$work/build-core.log") || { cat "$work/build-core.log"; fail "scripts/build-core"; }
(cd "$portable" && sha256sum --quiet -c "$cores/SHA256SUMS") || fail "the shipped cores differ from what scripts/build-core made"
# A 32-bit program that really ran: without the 32-bit Wine, wine exits 0 having run nothing.
"$wine32" "$portable/ffmpeg-core.exe" -hide_banner -version 2>&1 | tr -d '\r' >"$work/core32-version.txt"
"$wine64" "$portable/ffmpeg-core-x64.exe" -hide_banner -version 2>&1 | tr -d '\r' >"$work/core64-version.txt"
grep -q '^ffmpeg version ' "$work/core32-version.txt" ||
  { head -5 "$work/core32-version.txt"; fail "the 32-bit core did not run: is Debian's wine32:i386 installed (scripts/setup)?"; }
third=$(squeeze "$portable/THIRD-PARTY.txt")
for v in core32 core64; do
  core_version=$(sed -n 's/^ffmpeg version \([^ ]*\).*/\1/p' "$work/$v-version.txt")
  [ "$core_version" = 5.1.9 ] || fail "$v reports ffmpeg version '$core_version', expected 5.1.9"
  configuration=$(sed -n 's/^configuration: //p' "$work/$v-version.txt")
  case " $configuration " in *" --enable-libx264 "*) ;; *) fail "$v is not built with x264: $configuration" ;; esac
  case " $configuration " in *" --enable-version3 "*) fail "$v enables GPL-3-only parts: $configuration" ;; esac
  case "$third" in *"$configuration"*) ;; *) fail "THIRD-PARTY.txt lacks $v's configuration: $configuration" ;; esac
done
grep -q "ffmpeg version 5.1.9" "$portable/THIRD-PARTY.txt" || fail "THIRD-PARTY does not name ffmpeg 5.1.9"
for text in 'GNU GENERAL PUBLIC LICENSE Version 2, June 1991' 'GNU LESSER GENERAL PUBLIC LICENSE Version 2.1' \
            'ZPL-2.1' 'winpthreads' "Tavrix-<version>-core-source.tar"; do
  case "$third" in *"$text"*) ;; *) fail "THIRD-PARTY.txt lacks '$text'" ;; esac
done

step "the cores' source archive"
mkdir -p "$work/source"
tar -xf "$source_tar" -C "$work/source" || fail "the source archive does not unpack"
tree=$work/source/Tavrix-$version-core-source
[ -s "$tree/README.txt" ] || fail "the source archive has no README.txt"
for f in scripts/build-core encoder/core/pins encoder/core/ffmpeg-core.manifest; do
  cmp -s "$tree/$f" "$src/$f" || fail "the source archive's $f differs from the tree's"
done
pinned=$(awk '$1 == "file" { print $2 "  " $3 }' "$src/encoder/core/pins")
[ "$(echo "$pinned" | wc -l)" -ge 6 ] || fail "the pins name too few files"
(cd "$tree/debian-sources" && echo "$pinned" | sha256sum --quiet -c -) || fail "the archive's Debian files differ from the pins"
[ "$(ls "$tree/debian-sources" | wc -l)" -eq "$(echo "$pinned" | wc -l)" ] || fail "the archive holds other files than the pinned ones"

verify_signature() {
  osslsigncode verify -in "$1" -CAfile "$work/cert.pem" >"$work/verify.log" 2>&1 ||
    { tail -5 "$work/verify.log"; fail "the signature of $(basename "$1") does not verify"; }
}
step "signatures"
verify_signature "$setup_signed"
osslsigncode verify -in "$portable/Tavrix.exe" -CAfile "$work/cert.pem" >/dev/null 2>&1 &&
  fail "the unsigned build's Tavrix.exe claims a signature"

# The 32-bit installer's registry view: 32-bit reg.exe sees what it wrote.
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrix'
entry() { "$wine32" reg query "$key" /v "$1" 2>/dev/null | iconv -f CP936 -t UTF-8 | tr -d '\r' | awk -v n="$1" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
run_setup() { "$wine32" "$setup_signed" /S "$@" >/dev/null 2>&1; }  # gives the installer's exit code

# The whole life of an install in the prefix WINEPREFIX names.
#   install_suite PROGRAM_FILES CORE   (Windows path of Program Files; the core the encoder must take)
install_suite() {
  local pf=$1 core=$2
  local c=$WINEPREFIX/drive_c
  local menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tavrix 课堂录屏.lnk"
  local desktop="$c/users/Public/Desktop/Tavrix 课堂录屏.lnk"
  local first="$pf\\Tavrix"
  local dir1=$c/${first#C:\\}; dir1=${dir1//\\//}
  # Nothing of an earlier, failed run.
  "$wine32" reg delete "$key" /f >/dev/null 2>&1
  rm -rf "$dir1" "$c/课堂" "$menu" "$desktop"

  step "$kind: a Windows older than 7 is refused"
  local appkey="HKCU\\Software\\Wine\\AppDefaults\\$(basename "$setup_signed")"
  "$wine32" reg add "$appkey" /v Version /d vista /f >/dev/null 2>&1
  run_setup '/D=C:\Tavrix-vista'; local rc=$?
  "$wine32" reg delete "$appkey" /f >/dev/null 2>&1
  [ "$rc" -eq 3 ] || fail "on Vista the installer ended with $rc, expected 3"
  [ ! -e "$c/Tavrix-vista" ] || fail "on Vista the installer still wrote files"

  step "$kind: silent install into $first"
  run_setup; rc=$?
  [ "$rc" -eq 0 ] || fail "the installer ended with $rc"
  for f in $expected uninstall.exe; do [ -s "$dir1/$f" ] || fail "not installed into $first: $f"; done
  for f in Tavrix.exe hookDLL.dll ffmpeg.exe uninstall.exe; do verify_signature "$dir1/$f"; done
  for f in ffmpeg-core.exe ffmpeg-core-x64.exe; do cmp -s "$dir1/$f" "$portable/$f" || fail "the installed $f differs"; done
  [ -f "$menu" ] || fail "no Start-menu shortcut"
  [ -f "$desktop" ] || fail "no desktop shortcut"
  [ "$(entry DisplayName)" = "Tavrix 课堂录屏" ] || fail "uninstall entry: DisplayName '$(entry DisplayName)'"
  [ "$(entry DisplayVersion)" = "$version" ] || fail "uninstall entry: DisplayVersion '$(entry DisplayVersion)', expected $version"
  [ "$(entry Publisher)" = "Tavrix" ] || fail "uninstall entry: Publisher '$(entry Publisher)'"
  [ "$(entry DisplayIcon)" = "$first\\Tavrix.exe,0" ] || fail "uninstall entry: DisplayIcon '$(entry DisplayIcon)'"
  [ "$(entry InstallLocation)" = "$first" ] || fail "uninstall entry: InstallLocation '$(entry InstallLocation)'"
  local size; size=$(entry EstimatedSize)
  [ $((size)) -gt 5000 ] || fail "uninstall entry: EstimatedSize '$size' KB"
  echo "installed: $(du -sk "$dir1" | cut -f1) KB, EstimatedSize $((size)) KB"

  step "$kind: the installed program shows its startup window"
  (cd "$dir1" && exec "$wine32" Tavrix.exe >/dev/null 2>&1) &
  tavrix_pid=$!
  local window=
  for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name '^Tavrix$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$tavrix_pid" 2>/dev/null || fail "the installed Tavrix.exe ended at once"
    sleep 0.1
  done
  [ -n "$window" ] || fail "the installed Tavrix.exe showed no startup window"
  sleep 0.5
  import -window root "$work/$kind-installed-startup.png" 2>/dev/null

  step "$kind: while it runs, the uninstaller refuses"
  # Run in place (_?=, which must stand unquoted, as a school's script writes
  # it: Wine would quote the blanks of an argument) to get its exit code.
  printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$first" "$first" >"$work/uninstall-in-place.bat"
  "$wine32" cmd /c "$(winpath "$work")\\uninstall-in-place.bat" >/dev/null 2>&1; rc=$?
  [ "$rc" -eq 4 ] || fail "the uninstaller ended with $rc while the program ran, expected 4"
  [ -s "$dir1/Tavrix.exe" ] || fail "the uninstaller removed files while the program ran"
  kill "$tavrix_pid" 2>/dev/null; wait "$tavrix_pid" 2>/dev/null; tavrix_pid=
  # The program is gone only once its window is.
  for _ in $(seq 100); do xdotool search --onlyvisible --name '^Tavrix$' >/dev/null 2>&1 || break; sleep 0.1; done

  step "$kind: the installed encoder records with $core"
  local rec=$work/$kind-recording
  mkdir -p "$rec"
  mkfifo "$rec/commands"
  "$wine32" "$dir1/ffmpeg.exe" -y -pause_support -f dshow -i 'video=screen-capture-recorder' \
    -pix_fmt yuv420p -c:v libx264 -r 10 -crf 28 -maxrate 350k -profile main -preset veryfast "$(winpath "$rec")\\out.avi" \
    <"$rec/commands" >"$rec/adapter.out" 2>&1 &
  local adapter=$!
  exec 3>"$rec/commands"
  local started=0
  for _ in $(seq 600); do
    grep -q "INFO: segment 1: " "$rec/out.avi.encoder.log" 2>/dev/null && { started=1; break; }
    kill -0 "$adapter" 2>/dev/null || break
    sleep 0.05
  done
  [ "$started" = 1 ] || { cat "$rec/adapter.out" "$rec/out.avi.encoder.log" 2>/dev/null | tail -15; fail "the installed encoder did not start recording"; }
  # Quit once the segment grew past its first write, so it holds pictures even
  # when a loaded machine delays the core's first frames.
  local segment=$rec/out.avi.part001.mkv first_size
  first_size=$(stat -c %s "$segment" 2>/dev/null || echo 0)
  for _ in $(seq 150); do [ "$(stat -c %s "$segment" 2>/dev/null || echo 0)" -gt "$first_size" ] && break; sleep 0.1; done
  sleep 0.5
  printf 'q\n' >&3
  exec 3>&-
  wait "$adapter"; rc=$?
  [ "$rc" -eq 0 ] || { cat "$rec/out.avi.encoder.log" "$rec/adapter.out" 2>/dev/null | tail -15; fail "the installed encoder ended with $rc"; }
  grep -qF "$first\\$core" "$rec/out.avi.encoder.log" || { tail -15 "$rec/out.avi.encoder.log"; fail "the encoder did not start $first\\$core"; }
  ffprobe -v error "$rec/out.avi" || fail "the installed encoder's recording does not decode"

  step "$kind: installing again into another folder leaves nothing of the first"
  echo stale >"$dir1/skin/old-skin.xml"
  local second='C:\课堂\Tavrix' dir2="$c/课堂/Tavrix"
  run_setup "/D=$second"; rc=$?
  [ "$rc" -eq 0 ] || fail "the second install ended with $rc"
  [ ! -e "$dir1" ] || fail "the first install's folder stays: $(cd "$dir1" && find . | head -5 | tr '\n' ' ')"
  for f in $expected uninstall.exe; do [ -s "$dir2/$f" ] || fail "not installed the second time: $f"; done
  [ "$(entry InstallLocation)" = "$second" ] || fail "uninstall entry after the second install: '$(entry InstallLocation)'"
  [ -f "$menu" ] && [ -f "$desktop" ] || fail "shortcuts missing after the second install"

  step "$kind: silent uninstall"
  "$wine32" "$dir2/uninstall.exe" /S >/dev/null 2>&1
  # The uninstaller runs on from a copy of itself: wait for its work to show.
  for _ in $(seq 300); do [ ! -e "$dir2" ] && break; sleep 0.1; done
  [ ! -e "$dir2" ] || fail "the program's folder stays after the uninstall: $(cd "$dir2" && find . | head -5 | tr '\n' ' ')"
  [ ! -e "$menu" ] || fail "the Start-menu shortcut stays"
  [ ! -e "$desktop" ] || fail "the desktop shortcut stays"
  for _ in $(seq 100); do "$wine32" reg query "$key" >/dev/null 2>&1 || break; sleep 0.1; done
  "$wine32" reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry stays"
  return 0
}

kind=win64-prefix
WINEPREFIX=$prefix64 install_suite 'C:\Program Files (x86)' ffmpeg-core-x64.exe

step "a 32-bit prefix, as on 32-bit Windows 7"
prefix_copy "$(prefix_template win32 2>"$work/prefix32.log")" "$prefix32" 2>>"$work/prefix32.log"
[ -f "$prefix32/system.reg" ] && grep -q '^#arch=win32' "$prefix32/system.reg" ||
  fail "no 32-bit prefix was made: $(tail -3 "$work/prefix32.log")"
prefix_use "$prefix32"
prefix_serve "$prefix32"  # its server and services hold none of this test's descriptors
"$wine32" "$portable/ffmpeg-core.exe" -hide_banner -version 2>&1 | grep -q '^ffmpeg version 5.1.9' ||
  fail "the 32-bit core does not run in the 32-bit prefix"
kind=win32-prefix
install_suite 'C:\Program Files' ffmpeg-core.exe
step "passed"
