# SPDX-License-Identifier: ISC
#
# Shared by the suites: how to run the program under test and check a run.
#
# From the build (tests/CMakeLists.txt): EPOCHNOW, the executable;
# EPOCHNOW_EMULATOR, the command that runs it here when it was built for
# another machine (empty otherwise); EPOCHNOW_FAKECLOCK, the test clock to
# preload (empty when the executable cannot take one); EPOCHNOW_LIBC, what its
# C library says (tests/libc.cpp); EPOCHNOW_LOCALES, where locales that are
# missing are made; EPOCHNOW_TIME_T_BITS, the width of its time_t;
# EPOCHNOW_CLOCK_CALL, the call it reads the clock with (clock_gettime or
# time); EPOCHNOW_BOUNDARY, the helper that starts it as a second begins.
#
# Written for bats 1.2.1 and later: each test makes its own scratch folder,
# TEST_TMPDIR, where later versions would give BATS_TEST_TMPDIR.

setup() {
	TEST_TMPDIR=$(mktemp -d "${BATS_TMPDIR:-/tmp}/epochnow-test.XXXXXX")
	local -a emulator
	read -ra emulator <<<"${EPOCHNOW_EMULATOR:-}"
	# REAL runs the program on the real clock, FAKED on the test clock, which
	# EPOCHNOW_FAKE_* in the environment set.  The emulator must not load the
	# target's library itself: it hands the preload to the program.
	REAL=("${emulator[@]}" "$EPOCHNOW")
	LIBC=("${emulator[@]}" "$EPOCHNOW_LIBC")
	if ((${#emulator[@]})); then
		FAKED=("${emulator[@]}" -E "LD_PRELOAD=$EPOCHNOW_FAKECLOCK" "$EPOCHNOW")
	else
		# GCC's AddressSanitizer insists on coming first among preloads.
		FAKED=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
			"LD_PRELOAD=$EPOCHNOW_FAKECLOCK" "$EPOCHNOW")
	fi
	OUT=$TEST_TMPDIR/stdout
	ERR=$TEST_TMPDIR/stderr
}

teardown() {
	rm -rf "$TEST_TMPDIR"
}

# use_steady_clock: PROGRAM runs the program on STEADY, a fixed reading that
# it carries in its own words, where it can take the test clock, and on the
# real clock, STEADY empty, where it cannot.
# shellcheck disable=SC2034 # PROGRAM is for the suites that call this
use_steady_clock() {
	STEADY='' PROGRAM=("${REAL[@]}")
	if [[ -n ${EPOCHNOW_FAKECLOCK:-} ]]; then
		STEADY=1234567890 PROGRAM=(env EPOCHNOW_FAKE_TIME=1234567890 "${FAKED[@]}")
	fi
	STARTED=$(date +%s)
}

# prints_time: the last capture of PROGRAM printed STEADY, or a reading of
# the real clock taken since use_steady_clock.
prints_time() {
	if [[ -n $STEADY ]]; then
		prints "$STEADY"
	else
		prints_real_time "$STARTED"
	fi
}

# prints_real_time SINCE: the last capture printed the real time, read no
# earlier than date's reading SINCE and no later than now.
prints_real_time() {
	local now until
	until=$(date +%s)
	now=$(<"$OUT")
	prints "$now"
	[[ $now =~ ^[1-9][0-9]*$ ]] && (($1 <= now && now <= until))
}

# clock_error NAME, write_error NAME: the program's message for a clock or
# write failure with errno NAME, in the words of its own C library.
clock_error() {
	echo "epochnow_unix: cannot read the clock: $("${LIBC[@]}" strerror "$1")"
}
write_error() {
	echo "epochnow_unix: write error: $("${LIBC[@]}" strerror "$1")"
}

# errno_of NAME: the number of errno NAME, as the test clock takes it; empty
# for an empty NAME.
errno_of() {
	[[ -z $1 ]] || "${LIBC[@]}" errno "$1"
}

# numeric_locale SETTING: NUMERIC, the numeric locale that the program's C
# library takes from SETTING (such as LANG=fr_FR.UTF-8), as
# NAME|DECIMAL|THOUSANDS, and LOCALE_ENV, the env command that puts it in
# effect.  A locale that C library cannot find is made with localedef, in
# the byte order of the program, into a folder of EPOCHNOW_LOCALES named for
# that order and for localedef's glibc, which builds may share, and taken
# from there through LOCPATH.
numeric_locale() {
	LOCALE_ENV=(env -u LC_ALL -u LC_NUMERIC -u LANG -u LOCPATH "$1")
	local name=${1#*=} made
	NUMERIC=$("${LOCALE_ENV[@]}" "${LIBC[@]}" numeric)
	if [[ $NUMERIC == unavailable ]]; then
		local order=little-endian folder
		[[ $(od -An -tu1 -j5 -N1 "$EPOCHNOW") -eq 2 ]] && order=big-endian
		folder=${EPOCHNOW_LOCALES:?names no folder for the locales}/$order-glibc-$(localedef --version 2>/dev/null | sed -n '1s/.* //p')
		made=$folder/$name
		if [[ ! -d $made ]]; then
			mkdir -p "$folder"
			local new
			new=$(mktemp -d "$made.XXXXXX")
			# Status 1 is a warning about the definition; the files are made.
			# Another build may have made it meanwhile: then its copy stays.
			if localedef "--$order" -i "${name%%.*}" -f "${name#*.}" "$new" >&2 || (($? == 1)); then
				mv -T "$new" "$made" 2>/dev/null || rm -rf "$new"
			else
				rm -rf "$new"
				echo "cannot make $name (is Debian's locales installed?)" >&2
			fi
		fi
		LOCALE_ENV+=("LOCPATH=$folder")
		NUMERIC=$("${LOCALE_ENV[@]}" "${LIBC[@]}" numeric)
	fi
}

# asks_kernel: the program asks the kernel's clock_gettime64 itself, through
# syscall() (32-bit SPARC and PowerPC GNU/Linux), before the C library's clock.
asks_kernel() {
	readelf -W --dyn-syms "$EPOCHNOW" | grep -Eq ' UND syscall\b'
}

# need_fakeclock: skip the test where the executable cannot take the test
# clock, as a static one cannot; an executable that asks for a loader must.
need_fakeclock() {
	[[ -z ${EPOCHNOW_FAKECLOCK:-} ]] || return 0
	! readelf -W --program-headers "$EPOCHNOW" | grep -q 'Requesting program interpreter' ||
		{ echo "$EPOCHNOW is dynamically linked, yet was built without the test clock"; return 1; }
	skip "a statically linked executable cannot take the preloaded test clock"
}

# capture CMD...: run CMD with its standard output in $OUT, its standard
# error in $ERR and its exit status in $status.
capture() {
	status=0
	"$@" >"$OUT" 2>"$ERR" || status=$?
}

# capture_stderr CMD...: run CMD with the standard output the caller gives
# it, its standard error in $ERR and its exit status in $status; $OUT stays
# empty.
capture_stderr() {
	status=0
	: >"$OUT"
	"$@" 2>"$ERR" || status=$?
}

# prints LINE: the last capture wrote exactly LINE and a line feed to
# standard output, nothing to standard error, and exited 0.
prints() {
	if ! printf '%s\n' "$1" | cmp -s - "$OUT" || [[ -s $ERR ]] || ((status != 0)); then
		echo "expected \"$1\" and status 0; got status $status, stdout:"
		od -c "$OUT"
		echo "stderr:"
		cat "$ERR"
		return 1
	fi
}

# fails_with MESSAGE: the last capture wrote exactly MESSAGE and a line feed
# to standard error, nothing to $OUT, and exited 1.
fails_with() {
	if ! printf '%s\n' "$1" | cmp -s - "$ERR" || ((status != 1)); then
		echo "expected \"$1\" and status 1; got status $status, stderr:"
		cat "$ERR"
		return 1
	fi
	if [[ -s $OUT ]]; then
		echo "expected nothing on standard output; got:"
		od -c "$OUT"
		return 1
	fi
}
