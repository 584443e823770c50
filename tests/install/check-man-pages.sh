#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
# The manual pages against the programs' own help: every command, option and
# exit code zentrova-cli's help names must appear in zentrova-cli.1, every
# option, statement, fault and request name of zentrova-sim's help in
# zentrova-sim.1. Prints each word that is missing.
#   check-man-pages.sh BIN_DIR MAN_DIR
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: check-man-pages.sh BIN_DIR MAN_DIR" >&2; exit 1; }
bin=$1 mandir=$2
missing=0
fail() { echo "check-man-pages: $*" >&2; exit 1; }

# A page as its reader sees the words: "\-" is "-", font changes, "\%",
# "\&" and "\:" vanish, "\(dq" is a double quote.
plain() {
  sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\f([A-Z][A-Z]//g' -e 's/\\f\[[^]]*\]//g' \
      -e 's/\\[%&:]//g' -e 's/\\(dq/"/g' "$1"
}

# "--name" and "-o" as the help writes them; a hyphen inside a word
# (top-level, USB-serial) starts no option.
options() { grep -oE '(^|[^-[:alnum:]])--?[[:alpha:]][-[:alnum:]]*' | sed -E 's/^[^-]//; s/-+$//' | sort -u; }

# WORD must stand alone: "-o" inside "--order" or "count" inside "counted"
# does not count.
check() { # page-file page-text word...
  local page=$1 text=$2 w re
  shift 2
  for w in "$@"; do
    re=$(printf '%s' "$w" | sed 's/[][\.*^$/]/\\&/g')
    grep -qE -- "(^|[^-[:alnum:]_])${re}([^-[:alnum:]_]|$)" <<<"$text" || {
      echo "$page: missing $w"
      missing=1
    }
  done
}

for p in zentrova-cli zentrova-sim; do
  [ -x "$bin/$p" ] || fail "$bin/$p is not there"
  [ -f "$mandir/$p.1" ] || fail "$mandir/$p.1 is not there"
done

# zentrova-cli: the commands from the main help's list, then each one's help.
main_help=$("$bin/zentrova-cli" --help) || fail "zentrova-cli --help failed"
commands=$(awk '/^Commands:/ { on = 1; next } on && /^$/ { exit } on { print $1 }' <<<"$main_help")
[ -n "$commands" ] || fail "no command list in zentrova-cli --help"
cli_help=$main_help
for c in $commands; do
  h=$("$bin/zentrova-cli" "$c" --help) || fail "zentrova-cli $c --help failed"
  cli_help+=$'\n'$h
done
# Exit codes: the numbers that open each item of an "Exit codes:" paragraph.
codes=$(awk '/^Exit codes:/ { on = 1 } on && /^$/ { on = 0 } on' <<<"$cli_help" | tr '\n' ' ' |
  grep -oE '(codes:|,) [0-9]+ ' | grep -oE '[0-9]+' | sort -u)
[ -n "$codes" ] || fail "no exit codes in zentrova-cli's help"

page=$(plain "$mandir/zentrova-cli.1")
# The word lists are split on purpose.
# shellcheck disable=SC2046,SC2086
check zentrova-cli.1 "$page" $commands $(options <<<"$cli_help")
status=$(awk '/^\.SH/ { on = ($0 ~ /EXIT STATUS/) } on' <<<"$page")
for n in $codes; do
  grep -qE "^(\.B[IR]? )?$n\$" <<<"$status" || { echo "zentrova-cli.1: missing exit status $n"; missing=1; }
done

# zentrova-sim: options, the statements and faults (first word of each entry,
# the word after "fault"), and the requests a fault names.
sim_help=$("$bin/zentrova-sim" --help) || fail "zentrova-sim --help failed"
statements=$(awk '/^Statements/ { on = 1; next } /^Faults/ { on = 0 } on && /^  [a-z]/ { print $1 }' <<<"$sim_help")
faults=$(awk '/^Faults/ { on = 1; next } on && /^$/ { exit } on && /^  fault / { print $2 }' <<<"$sim_help")
requests=$(sed -nE 's/^CMD is one of (.*)\..*/\1/p' <<<"$sim_help")
if [ -z "$statements" ] || [ -z "$faults" ] || [ -z "$requests" ]; then
  fail "no statements, faults or request names in zentrova-sim --help"
fi
page=$(plain "$mandir/zentrova-sim.1")
# shellcheck disable=SC2046,SC2086
check zentrova-sim.1 "$page" $(options <<<"$sim_help") $statements $faults $requests

exit $missing
