#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
# What the program prints, and what does not change it.

load helpers

@test "each reading is printed as its exact decimal line" {
	need_fakeclock
	local reading second tick
	# A reading, the second it falls in where that is not its whole part,
	# and how far time() and CLOCK_REALTIME_COARSE lag behind it, as copies
	# the kernel moves once a tick may: the second that has begun, never a
	# rounded one, nor the one the coarse clocks still show.
	while read -r reading second tick; do
		second=${second:-$reading}
		if [[ -n $tick && $EPOCHNOW_CLOCK_CALL == time ]]; then
			echo "# skipped $reading with the coarse clocks $tick s behind: this build reads time() by design" >&3
			continue
		fi
		EPOCHNOW_FAKE_TICK=$tick EPOCHNOW_FAKE_TIME=$reading capture "${FAKED[@]}"
		if ((EPOCHNOW_TIME_T_BITS == 32 && (second > 2147483647 || second < -2147483648))); then
			# A 32-bit time_t cannot hold it: the clock read fails, and no
			# wrapped number may come out.
			fails_with "$(clock_error EOVERFLOW)"
		else
			prints "$second"
		fi
	done <<-'END'
		0
		-1
		1
		-86400
		1234567890
		1234567890.999999999 1234567890
		1234567890.001 1234567890 0.004
		-0.5 -1
		-1.5 -2
		2147483647
		-2147483648
		2147483648
		-2147483649
		4294967296
		253402300799
		9223372036854775807
		-9223372036854775808
	END
}

@test "agrees with the system clock" {
	local before
	before=$(date +%s)
	capture "${REAL[@]}"
	prints_real_time "$before"
}

@test "the second that has just begun is printed" {
	[[ -z ${EPOCHNOW_EMULATOR:-} ]] ||
		skip "under an emulator the program starts too slowly to land in the first milliseconds of a second"
	[[ ${EPOCHNOW_CLOCK_CALL:-} != time ]] ||
		skip "built to read the clock with time(), which may read a copy that the kernel updates once a tick"
	run "$EPOCHNOW_BOUNDARY" "$EPOCHNOW"
	echo "$output"
	((status == 0))
}

@test "arguments of any kind are ignored" {
	use_steady_clock
	local -a cases=(--help -h --version -V - -- "" "-x -y" $'two\nlines' '%s%n%ld' "$(printf 'a%.0s' {1..4096})")
	local arg
	for arg in "${cases[@]}"; do
		capture "${PROGRAM[@]}" "$arg"
		prints_time
	done
	capture "${PROGRAM[@]}" "${cases[@]}"
	prints_time
	# shellcheck disable=SC2046 # a thousand arguments, one a number
	capture "${PROGRAM[@]}" $(seq 1000)
	prints_time
}

@test "standard input is never read" {
	mkfifo "$TEST_TMPDIR/silent"
	# Opened for reading and writing, the pipe never delivers and never ends.
	use_steady_clock
	capture timeout 20 "${PROGRAM[@]}" 0<>"$TEST_TMPDIR/silent"
	prints_time
	capture "${PROGRAM[@]}" 0<&-
	prints_time
}

@test "the time zone and the rest of the environment do not change the line" {
	use_steady_clock
	local setting offset said
	# A setting, as env takes it, and for a zone the offset from UTC that
	# shows it in effect (- where none is).
	while read -r setting offset; do
		if [[ $offset != - ]]; then
			said=$(env "$setting" "${LIBC[@]}" zone)
			[[ $said == "$offset" ]] || {
				echo "$setting is not in effect: its offset is $said s, not $offset s (is Debian's tzdata installed?)"
				return 1
			}
		fi
		capture env "$setting" "${PROGRAM[@]}"
		prints_time
	done <<-'END'
		TZ=UTC 0
		TZ=Asia/Kolkata 19800
		TZ=America/St_Johns -12600
		TZ=XYZ-14 50400
		TZ=:nowhere -
		SOURCE_DATE_EPOCH=1 -
		-i -
	END
}

@test "the locale does not change the line" {
	[[ ${EPOCHNOW_MUSL:-} != ON ]] ||
		skip "musl writes numbers as the C locale does in every locale: none could change the line"
	use_steady_clock
	local setting expected
	# A setting, and the numeric conventions that show it in effect: its
	# name, decimal point and thousands separator.
	while read -r setting expected; do
		numeric_locale "$setting"
		[[ $NUMERIC == "$(printf '%b' "$expected")" ]] || {
			echo "$setting is not in effect: the C library says \"$NUMERIC\", not \"$expected\""
			return 1
		}
		capture "${LOCALE_ENV[@]}" "${PROGRAM[@]}"
		prints_time
	done <<-'END'
		LC_ALL=C.UTF-8 C.UTF-8|.|
		LC_ALL=de_DE.UTF-8 de_DE.UTF-8|,|.
		LC_NUMERIC=en_IN.UTF-8 en_IN.UTF-8|.|,
		LANG=fr_FR.UTF-8 fr_FR.UTF-8|,|\xe2\x80\xaf
	END
}

@test "the clock is read exactly once" {
	need_fakeclock
	local -a kernels=("")
	# Where the program asks the kernel's 64-bit clock itself, a kernel that
	# lacks the call leaves the C library's, read once too.
	asks_kernel && kernels+=(ENOSYS)
	local kernel
	for kernel in "${kernels[@]}"; do
		rm -f "$TEST_TMPDIR/reads"
		EPOCHNOW_FAKE_KERNEL_ERRNO=$(errno_of "$kernel") EPOCHNOW_FAKE_TIME=1234567890 EPOCHNOW_FAKE_LOG=$TEST_TMPDIR/reads \
			capture "${FAKED[@]}"
		prints 1234567890
		[[ $(<"$TEST_TMPDIR/reads") == read ]]
	done
}
