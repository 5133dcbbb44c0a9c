#!/usr/bin/env bash
# End to end: the installed program, started as Windows starts it ("min") with "WindowsStartup" on,
# cleans the sample traces on its own (the temporary files, all made a moment ago, stay) and is ended
# through its Exit command. Fails unless the run saved its totals, released bytes, cleaned keys and
# reached its last row.
#   end-to-end.sh BUILD
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1
sandbox=$(mktemp -d "${TMPDIR:-/tmp}/trellwipe-e2e.XXXXXX")
trap 'rm -rf "$sandbox"' EXIT
report=$("$top/scripts/unattended.sh" "$build" "$sandbox")
echo "$report"
number() { echo "$report" | sed -n "s/^$1: //p"; }
fail() { echo "end-to-end: $1" >&2; exit 1; }
[ "$(number 'Cleaned registry keys')" -gt 0 ] 2>/dev/null || fail "no registry keys were counted"
[ "$(number 'Released bytes')" -gt 0 ] 2>/dev/null || fail "no bytes were released"
echo "$report" | grep -q $'^  Task complete' || fail "the run did not reach its end"
left=$(find "$sandbox/prefix/drive_c" \( -name 'page?.htm' -o -name 'user@*.txt' \) | head -n1)
[ -z "$left" ] || fail "a sample trace is still there: $left"
# The temporary files were all made a moment ago, some dated days back: the default age keeps them.
[ "$(find "$sandbox/prefix/drive_c" \( -name 'sample?.tmp' -o -name 'setup-in-progress.tmp' \) | wc -l)" -eq 6 ] ||
  fail "a temporary file made just now was erased, though the default age keeps it"
echo "end-to-end: passed"
