# shellcheck shell=bash
# What a ctest run's JUnit file (ctest --output-junit) says, for scripts/test:
#
#   junit_results <junit file> <ctest log> <reasons file>
#       prints "passed NAME", "failed NAME" or "skipped NAME", a line a test,
#       and appends to the reasons file, for each failed test, "-- NAME"
#       (with why it did not run, or that it ran out of time, which only
#       ctest's log says) and the lines of its output that say what failed.
#
# A test skipped by its SKIP_RETURN_CODE, or disabled (ctest's DISABLED, a
# GoogleTest DISABLED_ case), is skipped; one that ctest could not run at all
# (its program missing) has failed.
junit_results() {
  awk -v why="$3" -v ctestlog="$2" '
    BEGIN {
      while ((getline l < ctestlog) > 0)
        if (l ~ /Test +#[0-9]+: [^ ]+ \.*\*\*\*Timeout/) {
          sub(/.*Test +#[0-9]+: /, "", l); sub(/ .*/, "", l); timedout[l] = 1
        }
    }
    function attr(name) {
      if (match($0, name "=\"[^\"]*\"")) return substr($0, RSTART + length(name) + 2, RLENGTH - length(name) - 3)
      return ""
    }
    function text(s) {
      gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s); gsub(/&apos;/, "\047", s)
      gsub(/&amp;/, "\\&", s)
      return s
    }
    /<testcase / { name = text(attr("name")); status = attr("status"); skip = ""; n = 0; inside = 0; next }
    /<skipped / { skip = attr("message") }
    /<system-out>/ { inside = 1; sub(/.*<system-out>/, "") }
    inside { done = sub(/<\/system-out>.*/, ""); line[++n] = text($0); if (done) inside = 0; next }
    /<\/testcase>/ {
      if (status == "run") { print "passed", name; next }
      if (status == "notrun" && skip ~ /^SKIP_/) { print "skipped", name; next }
      if (status == "disabled") { print "skipped", name; next }  # DISABLED, as a benchmark kept in a test program
      print "failed", name
      print "-- " name (skip != "" ? " (" skip ")" : "") (name in timedout ? " (timed out)" : "") >>why
      shown = 0
      for (i = 1; i <= n && shown < 12; i++)
        if (line[i] ~ /FAIL|Failure|Expected|Which is|[Ee]rror|Timeout|timed out/ && line[i] !~ /^ALSA lib/) {
          print "   " line[i] >>why; shown++
        }
      if (!shown) for (i = (n > 6 ? n - 5 : 1); i <= n; i++) if (line[i] != "") print "   " line[i] >>why
    }' "$1"
}
