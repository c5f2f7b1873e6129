#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
# The executable carries the hardening a distribution would ship it with.
# EPOCHNOW_COMPILER is the compiler that built it (CMake's compiler id).

load helpers

@test "PIE, full RELRO and a non-executable stack" {
	local what options pattern
	while IFS='|' read -r what options pattern; do
		# shellcheck disable=SC2086 # $options holds several of readelf's options
		readelf -W $options "$EPOCHNOW" | grep -Eq -- "$pattern" || {
			echo "missing: $what"
			return 1
		}
	done <<-'END'
		position-independent executable|--file-header|Type: +DYN
		PIE flag|--dynamic|\(FLAGS_1\).*\bPIE\b
		read-only relocations|--program-headers|^ *GNU_RELRO\b
		binding at start|--dynamic|\(FLAGS\).*\bBIND_NOW\b|\(FLAGS_1\).*\bNOW\b
		non-executable stack|--program-headers|^ *GNU_STACK( +0x[0-9a-f]+){5} +RW +0x
	END
}

# switches: the options GCC recorded in the executable, one a line.
switches() {
	readelf -W --string-dump=.GCC.command.line "$EPOCHNOW" |
		sed -n 's/^ *\[ *[0-9a-f]*\] *//p' | tr -s ' ' '\n'
}

need_switches() {
	[[ $EPOCHNOW_COMPILER == GNU ]] ||
		skip "only GCC records its switches in the executable (compiler: $EPOCHNOW_COMPILER)"
}

@test "printf is fortified where the build optimises and the C library can fortify" {
	if [[ $EPOCHNOW_LIBC == musl ]]; then
		# musl has no checked variants: a reference to glibc's would not load.
		local symbols
		symbols=$(readelf -W --dyn-syms "$EPOCHNOW")
		grep -Eq '\bprintf\b' <<<"$symbols"
		[[ $(grep -Ec '\b__printf_chk\b' <<<"$symbols") == 0 ]]
		return
	fi
	[[ $EPOCHNOW_COMPILER == GNU ]] ||
		skip "glibc fortifies printf only for GCC before 2.40 (compiler: $EPOCHNOW_COMPILER)"
	# The last -O decides; fortified calls need the optimiser.
	local level
	level=$(switches | grep -E '^-O' | tail -n 1)
	if [[ -z $level || $level == -O0 ]]; then
		skip "built without optimisation (${level:-no -O}): there is nothing to fortify"
	fi
	readelf -W --dyn-syms "$EPOCHNOW" | grep -Eq '\b__printf_chk\b'
}

@test "stack protector, stack clash protection and, on x86, control-flow protection" {
	need_switches
	local recorded
	recorded=$(switches)
	echo "$recorded"
	grep -qxE -- '-fstack-protector-(strong|all)' <<<"$recorded"
	grep -qxF -- -fstack-clash-protection <<<"$recorded"
	if readelf -h "$EPOCHNOW" | grep -Eq 'Machine: +(Advanced Micro Devices X86-64|Intel 80386)'; then
		grep -qxE -- '-fcf-protection(=full)?' <<<"$recorded"
	fi
}
