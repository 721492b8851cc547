#!/usr/bin/env bash
# scripts/build-core when things go wrong, each case in a cache of its own so
# that nothing of it can reach the real one:
# - a source file whose SHA-256 differs from its pin is refused, naming it;
# - a missing tool, and a configure that fails, stop it with what failed and
#   where the log is;
# - Debian's archive unreachable: with the built cores cached they are used,
#   with nothing cached a plain message names what is missing;
# - a pinned version the archive no longer offers is named with the version
#   offered now (this case asks Debian's archive);
# and in none of them is anything half-built cached. Also: the cached cores
# match the checksums build-core recorded, and the source archive is the same
# bytes each time it is written.
#   build_core.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$1
build=$2
work=$build/build-core-test
rm -rf "$work"
mkdir -p "$work"
source "$src/scripts/lib/session.sh"  # fail, step
real_cache=${TAVRIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrix}

# Runs build-core with a fresh cache of its own; its messages go to $work/$1.log.
run() {  # name args...
  local name=$1; shift
  mkdir -p "$work/$name-cache"
  TAVRIX_CACHE=$work/$name-cache "$src/scripts/build-core" "$@" >"$work/$name.out" 2>"$work/$name.log"
}
expect_message() {  # name text
  grep -qF -- "$2" "$work/$1.log" || { cat "$work/$1.log"; fail "$1: no message '$2'"; }
}
nothing_cached() {  # name
  [ -z "$(ls -A "$work/$1-cache/cores" 2>/dev/null)" ] ||
    fail "$1: something was cached: $(ls -A "$work/$1-cache/cores")"
}

step "the real cache: the cores and the checksums build-core recorded"
cores=$("$src/scripts/build-core" 2>"$work/real.log") || { cat "$work/real.log"; fail "scripts/build-core"; }
(cd "$cores" && sha256sum --quiet -c SHA256SUMS) || fail "the cached cores do not match their checksums"
sources=$real_cache/core-sources
[ -d "$sources" ] || fail "no cached source files in $sources"

step "a source file whose SHA-256 differs from its pin is refused"
mkdir -p "$work/tampered"
cp "$sources"/* "$work/tampered/"
tampered=$(awk '$1 == "file" && $3 ~ /orig\.tar/ { print $3; exit }' "$src/encoder/core/pins")
echo >>"$work/tampered/$tampered"
run tampered --sources "$work/tampered" && fail "a tampered source was accepted"
expect_message tampered "$tampered has SHA-256"
expect_message tampered "pinned"
nothing_cached tampered

step "a missing tool stops it, naming the tool"
mkdir -p "$work/path"
for d in /usr/local/bin /usr/bin /bin; do
  for f in "$d"/*; do
    name=${f##*/}
    [ "$name" = nasm ] || [ -e "$work/path/$name" ] || ln -s "$f" "$work/path/$name"
  done
done
PATH=$work/path run no-nasm --sources "$sources" && fail "it built without nasm"
expect_message no-nasm "missing tools: nasm"
nothing_cached no-nasm

step "a configure that fails stops it, naming the step and its log"
mkdir -p "$work/bad-compiler"
printf '#!/bin/sh\necho "this compiler is broken" >&2\nexit 1\n' >"$work/bad-compiler/i686-w64-mingw32-gcc-posix"
chmod +x "$work/bad-compiler/i686-w64-mingw32-gcc-posix"
PATH=$work/bad-compiler:$PATH run bad-compiler --sources "$sources" && fail "it went on with a broken compiler"
expect_message bad-compiler "x264 i686: configure failed; its log: /tmp/tavrix-build-core/logs/x264-i686-configure.log"
nothing_cached bad-compiler

step "Debian's archive unreachable: the cached cores are used"
offline=$(TAVRIX_DEBIAN_ARCHIVE=127.0.0.1:9 "$src/scripts/build-core" 2>"$work/offline-cached.log") ||
  { cat "$work/offline-cached.log"; fail "with the cores cached it needed the archive"; }
[ "$offline" = "$cores" ] || fail "offline it gave $offline, not the cached $cores"

step "Debian's archive unreachable and nothing cached: a plain message"
TAVRIX_DEBIAN_ARCHIVE=127.0.0.1:9 run offline && fail "it succeeded with nothing to build from"
expect_message offline "cannot be reached"
expect_message offline "neither the built cores"
expect_message offline "connect this machine to the network"
nothing_cached offline

step "a pinned version the archive no longer offers: the version offered now is named"
mkdir -p "$work/old/scripts" "$work/old/encoder/core"
cp "$src/scripts/build-core" "$work/old/scripts/"
cp "$src/encoder/core/ffmpeg-core.manifest" "$work/old/encoder/core/"
sed 's/^source ffmpeg .*/source ffmpeg 7:5.1.1-1/' "$src/encoder/core/pins" >"$work/old/encoder/core/pins"
mkdir -p "$work/old-cache"
TAVRIX_CACHE=$work/old-cache "$work/old/scripts/build-core" >/dev/null 2>"$work/old.log" && fail "it built a version the archive lacks"
expect_message old "no longer offers ffmpeg 7:5.1.1-1"
grep -Eq "it offers ffmpeg 7:5\.1\.[0-9]+-[^ ]+ now" "$work/old.log" || { cat "$work/old.log"; fail "the offered version is not named"; }
nothing_cached old

step "the source archive is the same bytes each time"
"$src/scripts/build-core" --source-tar "$work/a/core-source.tar" 2>/dev/null || fail "--source-tar"
"$src/scripts/build-core" --source-tar "$work/b/core-source.tar" 2>/dev/null || fail "--source-tar, again"
cmp -s "$work/a/core-source.tar" "$work/b/core-source.tar" || fail "two source archives differ"
step "passed"
