#!/usr/bin/env bash
# Times the region selector's repaint at a given screen size (a benchmark):
#   tests/e2e/ui_region_bench.sh 3840x2160 [N]
# Starts an Xvfb of that size and a prefix of its own with its own server
# (Wine keeps the desktop size of its first start), runs region_probe.exe
# --bench N from the product's build (TAVRIX_BIN) and prints the times.
set -uo pipefail
size=${1:?screen size, e.g. 1920x1080}
n=${2:-200}
source "$(dirname "$0")/../../scripts/lib/session.sh"
probe=$product_bin/tests/region_probe.exe
[ -f "$probe" ] || fail "build the product first: no $probe"
display_start "$size" || exit 1
wine_environment
work=$(test_folder ui_region_bench)
prefix_copy "$(prefix_template win64)" "$work/prefix" || fail "no prefix"
prefix_use "$work/prefix"
prefix_serve "$work/prefix"
on_exit 'prefix_stop "$work/prefix"'
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$wine" "$probe" --bench "$n"
