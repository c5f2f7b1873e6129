#!/bin/sh
# SPDX-License-Identifier: ISC
# shellcheck disable=SC2003,SC2006 # SunOS 5.8's Bourne shell has no $(...) and no $((...))
#
# The self-test of `make check`, on the real clock, with only what SunOS 5.8's
# Bourne shell and utilities have.  That shell takes a word NAME=VALUE in a
# for list as an assignment, parses backquotes within double quotes its own
# way, and says that a command is not found before a 2>/dev/null applies.
# Readings are compared in awk, whose numbers hold them whole.  It takes the
# command to check; a cross build's runs under its emulator:
#   sh tests/selftest.sh qemu-i386 -L /usr/i686-linux-gnu ./epochnow_unix
test $# -gt 0 || { echo "usage: sh tests/selftest.sh COMMAND [ARG...]" >&2; exit 2; }
tmp=${TMPDIR:-/tmp}/epochnow-selftest.$$
trap 'rm -rf "$tmp"' 0; trap 'rm -rf "$tmp"; trap "" 0; exit 2' 1 2 15; mkdir "$tmp" || exit 2
passed=0 failed=0 skipped=0
# row TEXT: the row passed where $why is empty, else failed, saying why.
row() {
	if test -z "$why"; then passed=`expr "$passed" + 1`; echo "ok   $1"
	else failed=`expr "$failed" + 1`; echo "FAIL $1: $why"; fi
}
skip() { skipped=`expr "$skipped" + 1`; echo "skip $1"; }
# one FILE: $said, what FILE holds; $why, what is wrong unless it is one line or nothing.
one() {
	said=`cat "$1"` all=`cat "$1"; echo .` why=
	case $said in *"
"*) why="more than one line" ;; esac
	test ! -s "$1" || echo "$said" | cmp -s - "$1" || why="more than one line"
	case $all in . | *"
.") ;; *) why="no line feed" ;; esac
}
# line COMMAND...: $now is the line COMMAND printed, where it printed one
# line of an optional minus and digits without leading zeros, not one byte
# on standard error, and exited 0; else empty, and $why says what it did.
line() {
	"$@" >"$tmp/out" 2>"$tmp/err"; status=$? ran=$*
	one "$tmp/out"; now=$said
	case $why$now in '' | - | *[!0-9-]* | ?*-* | 0?* | -0*) why="printed \"$now\"${why:+, $why}" ;; esac
	said=`cat "$tmp/err"`; test ! -s "$tmp/err" || why="wrote \"$said\" to standard error"
	test $status = 0 || why="exited $status${why:+, $why}"
	test -z "$why" || now=
}
# between LOW X HIGH [SLACK]: LOW <= X <= HIGH + SLACK.
between() { said=`echo "$1 $2 $3 ${4:-0}" | awk '{ if ($1 <= $2 && $2 <= $3 + $4) print "yes" }'`; test "$said" = yes; }
# later COMMAND...: line, and its reading is no earlier than the one before.
later() {
	before=$now was=$ran
	line "$@"
	test -z "$before" || test -z "$now" || between "$before" "$now" "$now" || why=${why:-"$ran printed $now after $was printed $before"}
	test -z "$why" || bad=${bad:-$why}
}
# sysclock: $system, the seconds of the system clock, as date +%s or perl
# prints them, or else as awk counts them from the fields of date -u.
sysclock() {
	by='date +%s' system=`date +%s 2>/dev/null`
	case $system in '' | *[!0-9]*) by="perl's time" system=`(perl -e 'print time') 2>/dev/null` ;; esac
	case $system in '' | *[!0-9]*) by='date -u' system=`date -u '+%Y %j %H %M %S' | awk '{ y = $1 - 1
		print (365 * y + int(y / 4) - int(y / 100) + int(y / 400) - 719163 + $2) * 86400 + $3 * 3600 + $4 * 60 + $5 }'` ;; esac
}
# write_error STATUS: the run exited 1, its standard error one line: the write error and a reason.
write_error() {
	one "$tmp/err"
	case $1:$why:$said in "1::epochnow_unix: write error: "?*) why= ;; *) why="exited $1, ${why:+$why: }said \"$said\"" ;; esac
}
line "$@"; row "one line of digits and a line feed, nothing on standard error, status 0"

# No earlier than the system clock before, no later than the one after but
# for the second by which date or perl, reading time(), may lag the clock
# the program reads; up to three tries for two readings in the same second.
for _ in 1 2 3; do sysclock; before=$system; line "$@"; sysclock; test "$before" != "$system" || break; done
test -z "$now" || between "$before" "$now" "$system" 1 || why="printed $now, $by $before before and $system after"
row "read the system clock's second ($by)"

# Each run with arguments or a setting lies between two runs without: no
# earlier than the one before, no later than the one after.
bad=; line "$@"
for arg in --help -h --version - -- '' 'two words' 1 -1 3600; do later "$@" "$arg"; later "$@"; done
later "$@" --help -h --version - -- '' 'two words' 1 -1 3600; later "$@"
why=$bad; row "arguments change nothing"

# The settings the system has: a zone other than UTC shows another time, and
# locale -a lists a locale; the first it lists with a thousands separator too.
spelled() { sed -e 'y/ABCDEFGHIJKLMNOPQRSTUVWXYZ/abcdefghijklmnopqrstuvwxyz/' -e 's/-//g'; }
have=`(locale -a) 2>/dev/null | spelled | awk '{ printf " %s", $0 } END { print " " }'` grouped='' tested=''
for locale in `(locale -a) 2>/dev/null`; do
	sep=`(LC_ALL=$locale locale -k thousands_sep) 2>/dev/null`
	case $sep in *=\"?*\") grouped=$locale; break ;; esac
done
bad=; line "$@"
for zone in Asia/Kolkata America/St_Johns XYZ-14; do
	here=`TZ=$zone date +%H%M` utc=`date -u +%H%M`
	if test "$here" = "$utc"; then skip "TZ=$zone: the system has no such time zone"
	else later env "TZ=$zone" "$@"; later "$@"; tested="$tested TZ=$zone"; fi
done
for locale in C de_DE.UTF-8 fr_FR.ISO8859-1 $grouped; do
	name=`echo "$locale" | spelled`
	case $locale$have in C | C\ * | *" $name "*) later env "LC_ALL=$locale" "$@"; later "$@"; tested="$tested LC_ALL=$locale" ;;
	*) skip "LC_ALL=$locale: locale -a does not list it" ;; esac
done
later env SOURCE_DATE_EPOCH=1 "$@"; later "$@"; later env -i "$@"; later "$@"
why=$bad; row "the environment changes nothing:$tested SOURCE_DATE_EPOCH=1, env -i"

"$@" >&- 2>"$tmp/err"; write_error $?; row "standard output closed: status 1, a write error"
if test -c /dev/full; then
	"$@" >/dev/full 2>"$tmp/err"; write_error $?; row "standard output full: status 1, a write error"
else skip "standard output full: there is no /dev/full"; fi

case $skipped in 0) skipped= ;; *) skipped=", $skipped skipped" ;; esac
echo "$passed passed, $failed failed$skipped"
test "$failed" = 0
