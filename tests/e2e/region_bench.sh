#!/usr/bin/env bash
# Times the region selector's repaint at a given screen size (run by hand):
#   tests/e2e/region_bench.sh 3840x2160 [N]
# Starts its own Xvfb of that size and its own Wine prefix and server (Wine
# keeps the desktop size of its first start), runs region_probe.exe --bench N
# from the win64 build and prints the times.
set -euo pipefail
size=${1:?screen size, e.g. 1920x1080}
n=${2:-200}
root=$(cd "$(dirname "$0")/../.." && pwd)
probe=$root/build/win64/bin/tests/region_probe.exe
[ -f "$probe" ] || { echo "build the win64 preset first"; exit 1; }
export WINEPREFIX=${REGION_BENCH_PREFIX:-$root/build/win64/bench-prefix}
export WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES=mscoree,mshtml=
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap '/usr/lib/wine/wineserver64 -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$displayfile")
if [ ! -d "$WINEPREFIX" ]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver64 -w
fi
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
/usr/lib/wine/wine64 "$probe" --bench "$n"
