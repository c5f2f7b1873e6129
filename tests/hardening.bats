#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
# The executable carries the hardening a distribution would ship it with,
# each protection checked by what it did to the executable.
# EPOCHNOW_COMPILER is the compiler that built it (CMake's compiler id),
# EPOCHNOW_OBJDUMP the target's objdump, EPOCHNOW_LARGE_FRAME two objects of
# a function with a large frame, with and without stack clash protection, and
# EPOCHNOW_FORTIFY_SOURCE, EPOCHNOW_STACK_PROTECTOR,
# EPOCHNOW_STACK_CLASH_PROTECTION, EPOCHNOW_CF_PROTECTION and
# EPOCHNOW_BRANCH_PROTECTION each the flag the build claims the protection
# by, or why the build does not claim it.

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

@test "printf is fortified where the build optimises and the C library can fortify" {
	if [[ $EPOCHNOW_LIBC == musl ]]; then
		# musl has no checked variants: a reference to glibc's would not load.
		local symbols
		symbols=$(readelf -W --dyn-syms "$EPOCHNOW")
		grep -Eq '\bprintf\b' <<<"$symbols"
		[[ $(grep -Ec '\b__printf_chk' <<<"$symbols") == 0 ]]
		return
	fi
	claimed EPOCHNOW_FORTIFY_SOURCE
	[[ $EPOCHNOW_COMPILER == GNU ]] ||
		skip "glibc fortifies printf only for GCC before 2.40 (compiler: $EPOCHNOW_COMPILER)"
	# Where long double is IEEE 128-bit (64-bit POWER with GCC 16), glibc
	# names it __printf_chkieee128.
	readelf -W --dyn-syms "$EPOCHNOW" | grep -Eq '\b__printf_chk(ieee128)?\b'
}

# claimed PROTECTION: the build claims PROTECTION (its EPOCHNOW_<NAME>
# holds the flag that gives it) or the test skips, saying why not.
claimed() {
	local claim=${!1}
	[[ $claim == -* ]] || skip "$claim"
}

# main_code: main's instructions, one a line, as the target's objdump (GNU's
# or LLVM's) disassembles them.
main_code() {
	"$EPOCHNOW_OBJDUMP" -d --no-show-raw-insn "$EPOCHNOW" | awk '
		/<main>:$/ { inside = 1; next }
		inside && !NF { exit }
		inside { sub(/^[ \t]*[0-9a-f]+:[ \t]*/, ""); print }'
}

# main_begins_with PATTERN: main's first instruction matches PATTERN.
main_begins_with() {
	local first
	first=$(main_code | sed -n 1p)
	echo "main begins with: $first"
	grep -Eq -- "$1" <<<"$first"
}

@test "x86 and 64-bit ARM claim every protection their compilers give" {
	local machine expected
	machine=$(readelf -h "$EPOCHNOW" | sed -n 's/^ *Machine: *//p')
	case $machine in
	"Advanced Micro Devices X86-64" | "Intel 80386")
		expected="STACK_PROTECTOR STACK_CLASH_PROTECTION CF_PROTECTION" ;;
	AArch64) expected="STACK_PROTECTOR STACK_CLASH_PROTECTION BRANCH_PROTECTION" ;;
	*) skip "what $machine's compilers give differs from one to another" ;;
	esac
	local protection claim
	for protection in $expected; do
		claim=EPOCHNOW_$protection
		[[ ${!claim} == -* ]] || {
			echo "$machine, yet $protection is not claimed: ${!claim}"
			return 1
		}
	done
}

@test "stack protector: main guards its frame" {
	claimed EPOCHNOW_STACK_PROTECTOR
	[[ ${EPOCHNOW_CLOCK_CALL:-} != time ]] ||
		skip "built to read the clock with time(): main has no local whose address it passes on, nothing to guard"
	# main passes the address of a local to clock_gettime: a guarded frame,
	# which calls __stack_chk_fail when the guard has been overwritten.
	readelf -W --dyn-syms "$EPOCHNOW" | grep -Eq ' UND __stack_chk_fail\b'
}

@test "stack clash protection: a frame larger than a page is probed" {
	claimed EPOCHNOW_STACK_CLASH_PROTECTION
	# main's frame is far smaller than a page: a function with a larger one,
	# built with the program's options and once more without the protection,
	# must differ by the probes.
	local probed unprobed
	read -r probed unprobed <<<"$EPOCHNOW_LARGE_FRAME"
	[[ -s $probed && -s $unprobed ]]
	if cmp -s "$probed" "$unprobed"; then
		echo "$EPOCHNOW_STACK_CLASH_PROTECTION changes nothing in a frame larger than a page"
		return 1
	fi
}

@test "control-flow protection: main is an indirect branch target" {
	claimed EPOCHNOW_CF_PROTECTION
	main_begins_with '^endbr(32|64)\b'
}

@test "branch protection: main is a branch target and signs its return address" {
	claimed EPOCHNOW_BRANCH_PROTECTION
	# A bti, or a paciasp, which is a landing pad too.
	main_begins_with '^(bti|paciasp|pacibsp)\b'
	main_code | grep -E '^(paciasp|pacibsp)\b' >/dev/null
}
