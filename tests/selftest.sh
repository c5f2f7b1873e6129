#!/bin/sh
# SPDX-License-Identifier: ISC
# shellcheck disable=SC2003,SC2006 # SunOS 5.8's Bourne shell has no $(...) and no $((...))
#
# The self-test of `make check`, on the real clock, with only what SunOS 5.8's
# Bourne shell and utilities have.  That shell takes a word NAME=VALUE in a
# for list as an assignment, parses backquotes within double quotes its own
# way, and says that a command is not found before a 2>/dev/null applies.
# It takes the command to check; a cross build's runs under its emulator:
#   sh tests/selftest.sh qemu-i386 -L /usr/i686-linux-gnu ./epochnow_unix
test $# -gt 0 || { echo "usage: sh tests/selftest.sh COMMAND [ARG...]" >&2; exit 2; }
tmp=${TMPDIR:-/tmp}/epochnow-selftest.$$
trap 'rm -rf "$tmp"' 0
mkdir "$tmp" || exit 2
passed=0 failed=0 skipped=0
# row TEXT: the row passed where $why is empty, else failed, saying why.
row() {
	if test -z "$why"; then passed=`expr "$passed" + 1`; echo "ok   $1"
	else failed=`expr "$failed" + 1`; echo "FAIL $1: $why"; fi
}
skip() { skipped=`expr "$skipped" + 1`; echo "skip $1"; }
# line COMMAND...: $now is the line COMMAND printed, where it printed one
# line of an optional minus and digits without leading zeros, nothing on
# standard error, and exited 0; else empty, and $why says what it did.
line() {
	"$@" >"$tmp/out" 2>"$tmp/err"; status=$?
	now=`cat "$tmp/out"` ran=$* why=
	case $now in '' | - | *[!0-9-]* | ?*-* | 0?* | -0*) why="printed \"$now\"" ;; esac
	echo "$now" | cmp -s - "$tmp/out" || why=${why:-"printed more than one line"}
	said=`cat "$tmp/err"`; test -z "$said" || why="wrote \"$said\" to standard error"
	test $status = 0 || why="exited $status${why:+, $why}"
	test -z "$why" || now=
}
# within A B S: A is at most S after B, as numbers of any size awk holds.
within() { said=`echo "$1 $2 $3" | awk '{ if ($1 - $2 <= $3) print "yes" }'`; test "$said" = yes; }
# later COMMAND...: line, and its reading is no earlier than the one before.
later() {
	before=$now was=$ran
	line "$@"
	test -z "$before" || test -z "$now" || within "$before" "$now" 0 || why=${why:-"$ran printed $now after $was printed $before"}
	test -z "$why" || bad=${bad:-$why}
}
# write_error STATUS: the run exited STATUS, and said the write error.
write_error() {
	said=`sed -n 1p "$tmp/err"` why=
	case $1:$said in "1:epochnow_unix: write error"*) ;; *) why="exited $1, said \"$said\"" ;; esac
}

line "$@"; row "one line of digits and a line feed, nothing on standard error, status 0"

by='date +%s' system=`date +%s 2>/dev/null`
case $system in '' | *[!0-9]*) by='perl -e "print time"' system=`(perl -e 'print time') 2>/dev/null` ;; esac
case $system in
'' | *[!0-9]*) skip "agrees with the system clock: neither date +%s nor perl prints it" ;;
*) line "$@"
	test -z "$now" || { within "$now" "$system" 5 && within "$system" "$now" 5; } || why="printed $now, $by $system"
	row "agrees within 5 s with $by" ;;
esac

# Each run with arguments or a setting lies between two runs without: no
# earlier than the one before, no later than the one after.
bad=; line "$@"
for arg in --help -h --version - -- '' 'two words'; do later "$@" "$arg"; later "$@"; done
later "$@" --help -h --version - -- '' 'two words'; later "$@"
why=$bad; row "arguments change nothing"

bad=; line "$@"
for zone in UTC Asia/Kolkata XYZ-14; do later env "TZ=$zone" "$@"; later "$@"; done
for locale in C de_DE.UTF-8 fr_FR.ISO8859-1; do later env "LC_ALL=$locale" "$@"; later "$@"; done
why=$bad; row "TZ and LC_ALL change nothing"

"$@" >&- 2>"$tmp/err"; write_error $?; row "standard output closed: status 1, a write error"
if test -c /dev/full; then
	"$@" >/dev/full 2>"$tmp/err"; write_error $?; row "standard output full: status 1, a write error"
else skip "standard output full: there is no /dev/full"; fi

case $skipped in 0) skipped= ;; *) skipped=", $skipped skipped" ;; esac
echo "$passed passed, $failed failed$skipped"
test "$failed" = 0
