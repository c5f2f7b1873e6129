#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
# What the program prints, and what does not change it.

load helpers

@test "each reading is printed as its exact decimal line" {
	need_fakeclock
	local reading
	for reading in 0 -1 1 -86400 1234567890 2147483647 -2147483648 \
		2147483648 -2147483649 4294967296 253402300799 9223372036854775807 -9223372036854775808; do
		EPOCHNOW_FAKE_TIME=$reading capture "${FAKED[@]}"
		if ((EPOCHNOW_TIME_T_BITS == 32 && (reading > 2147483647 || reading < -2147483648))); then
			# A 32-bit time_t cannot hold it: the clock read fails, and no
			# wrapped number may come out.
			fails_with "$(clock_error EOVERFLOW)"
		else
			prints "$reading"
		fi
	done
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

@test "time zone and locale do not change the line" {
	use_steady_clock
	local setting
	for setting in TZ=UTC TZ=Asia/Kolkata TZ=America/St_Johns TZ=XYZ-14 TZ=:nowhere \
		LC_ALL=C.UTF-8 LC_ALL=de_DE.UTF-8 LC_NUMERIC=en_IN.UTF-8 LANG=fr_FR.UTF-8; do
		capture env "$setting" "${PROGRAM[@]}"
		prints_time
	done
}

@test "the clock is read exactly once" {
	need_fakeclock
	EPOCHNOW_FAKE_TIME=1234567890 EPOCHNOW_FAKE_LOG=$TEST_TMPDIR/reads capture "${FAKED[@]}"
	prints 1234567890
	[[ $(<"$TEST_TMPDIR/reads") == read ]]
}
