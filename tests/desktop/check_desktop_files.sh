#!/usr/bin/env bash
# Validates the desktop entry (with its demo action), the AppStream data and the man page; any error, warning
# or hint fails.
# usage: check_desktop_files.sh DESKTOP_ENTRY METAINFO MAN_PAGE
set -uo pipefail
status=0
check() { # what, command...
  local what=$1 output
  shift
  if ! output=$("$@" 2>&1) || [[ -n $output ]]; then
    echo "$what: ${output:-exit status not zero}"
    status=1
  fi
}
check "$1" desktop-file-validate "$1"
# The menu offers the demo, so that the program can be seen working with no device.
check "$1" awk '/^\[/ { section = $0 } section == "[Desktop Entry]" && $0 == "Actions=demo;" { listed = 1 }
  section == "[Desktop Action demo]" && $0 == "Exec=kalvane --demo" { runs = 1 }
  END { if (!listed || !runs) print "no demo action running kalvane --demo" }' "$1"
check "$2" bash -c 'appstreamcli validate --no-net --pedantic "$1" | grep -v "^✔ Validation was successful.$"; \
  test "${PIPESTATUS[0]}" = 0' - "$2"
check "$3" groff -ww -man -Tutf8 -z "$3"
exit $status
