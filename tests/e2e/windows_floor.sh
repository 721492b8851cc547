#!/usr/bin/env bash
# The oldest Windows the package runs on is Windows 7: every import of every
# shipped program must be on the list of functions Windows 7 has, and no PE
# header may ask for a newer subsystem. A program that imports a newer
# function does not load at all on the older system, whatever its code does.
# For each program it also prints the imports newer than Windows XP, by the
# Windows the list names for them: what holds the floor where it is.
#   windows_floor.sh ALLOWED_IMPORTS PROGRAM...
set -uo pipefail
allowed=$1; shift
status=0
for f in "$@"; do
  case $(file -b "$f") in
    PE32+*) objdump=x86_64-w64-mingw32-objdump ;;
    PE32*) objdump=i686-w64-mingw32-objdump ;;
    *) echo "$f: not a Windows program"; status=1; continue ;;
  esac
  dump=$(mktemp)
  "$objdump" -p "$f" >"$dump" || { echo "$f: objdump failed"; rm -f "$dump"; status=1; continue; }
  subsystem=$(awk '$1 == "MajorSubsystemVersion" { maj = $2 } $1 == "MinorSubsystemVersion" { min = $2; print maj "." min; exit }' "$dump")
  awk -v v="$subsystem" 'BEGIN { split(v, p, "."); exit !(p[1] < 6 || (p[1] == 6 && p[2] <= 1)) }' ||
    { echo "$(basename "$f"): subsystem version $subsystem is newer than Windows 7 (6.1)"; status=1; }
  # "DLL Name: x" opens a DLL's imports; each import is "<vma> <hint> <name>".
  # The import tables come before the (long) function and relocation tables.
  imports=$(awk '/DLL Name:/ { dll = tolower($3); seen = 1; next }
                 seen && /^(The Export Tables|The Function Table|PE File Base Relocations)/ { exit }
                 dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]/ { print dll ":" $3; next }
                 dll != "" && /^[[:space:]]*$/ { next }
                 dll != "" && !/vma:/ { dll = "" }' "$dump" | sort -u)
  rm -f "$dump"
  [ -n "$imports" ] || { echo "$(basename "$f"): no imports found (objdump output changed?)"; status=1; continue; }
  new=$(comm -23 <(echo "$imports") <(grep -v '^#' "$allowed" | awk '{ print $1 }' | sort -u))
  if [ -n "$new" ]; then
    echo "$(basename "$f") imports functions not known to be in Windows 7:"
    echo "$new" | sed 's/^/  /'
    echo "  Check which Windows introduced each; if Windows 7 has it, add it to $(basename "$allowed"),"
    echo "  else load it with GetProcAddress and keep a fallback."
    status=1
  fi
  echo "$(basename "$f"): $(echo "$imports" | wc -l) imports, subsystem $subsystem"
  echo "$imports" | awk 'NR == FNR { if ($1 !~ /^#/ && NF > 1) since[$1] = $2; next }
                         $1 in since { by[since[$1]] = by[since[$1]] " " $1 }
                         END { for (w in by) print "  newer than XP (" w "):" by[w] }' "$allowed" - | sort
done
exit $status
