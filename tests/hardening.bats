#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
# The executable carries the hardening a distribution would ship it with,
# each protection checked by what it did to the executable.  From the build:
# EPOCHNOW_HARDENING, the compile options in effect as words, the given ones
# and then those the build added (cmake/hardening.cmake); EPOCHNOW_COMPILER,
# CMake's compiler id; EPOCHNOW_MUSL, ON against musl; EPOCHNOW_OBJDUMP, the
# target's objdump.

load helpers

# asked PATTERN: the last compile option in effect that matches PATTERN, an
# extended regular expression, turns a protection on.
asked() {
	local word last=
	for word in $EPOCHNOW_HARDENING; do
		[[ $word =~ $1 ]] && last=$word
	done
	[[ -n $last && ! $last =~ ^-fno-|^-U|=(none|0|1)$ ]]
}

# asks_for PATTERN: asked PATTERN, or the test is skipped, saying so.
asks_for() {
	asked "$1" || skip "the build asks for no $1: the compiler does not take it for this target, or the given flags turn it off"
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

@test "printf is fortified where the build asks for it" {
	local symbols
	symbols=$(readelf -W --dyn-syms "$EPOCHNOW")
	if [[ $EPOCHNOW_MUSL == ON ]]; then
		# musl has no checked variants: a reference to glibc's would not load.
		grep -Eq '\bprintf\b' <<<"$symbols" && ! grep -Eq '\b__printf_chk' <<<"$symbols"
		return
	fi
	asks_for '^-[DU]_FORTIFY_SOURCE'
	[[ $EPOCHNOW_COMPILER == GNU ]] ||
		skip "glibc fortifies printf only for GCC before 2.40 (compiler: $EPOCHNOW_COMPILER)"
	# Where long double is IEEE 128-bit (64-bit POWER with GCC 16), glibc
	# names it __printf_chkieee128.
	grep -Eq '\b__printf_chk(ieee128)?\b' <<<"$symbols"
}

@test "stack protector: main guards its frame" {
	asks_for '^-f(no-)?stack-protector'
	[[ ${EPOCHNOW_CLOCK_CALL:-} != time ]] ||
		skip "built to read the clock with time(): main has no local whose address it passes on, nothing to guard"
	# main passes the address of a local to clock_gettime: a guarded frame,
	# which calls __stack_chk_fail when the guard has been overwritten.
	readelf -W --dyn-syms "$EPOCHNOW" | grep -Eq ' UND __stack_chk_fail\b'
}

@test "control-flow protection: main is an indirect branch target" {
	asks_for '^-f(no-)?cf-protection'
	main_begins_with '^endbr(32|64)\b'
}

@test "branch protection: main is a branch target and signs its return address" {
	asks_for '^-mbranch-protection='
	# A bti, or a paciasp, which is a landing pad too.
	main_begins_with '^(bti|paciasp|pacibsp)\b'
	main_code | grep -E '^(paciasp|pacibsp)\b' >/dev/null
}

@test "x86 and 64-bit ARM ask for every protection their compilers give" {
	local machine
	local -a expected
	machine=$(readelf -h "$EPOCHNOW" | sed -n 's/^ *Machine: *//p')
	case $machine in
	"Advanced Micro Devices X86-64" | "Intel 80386") expected=('^-f(no-)?stack-protector' '^-f(no-)?cf-protection') ;;
	AArch64) expected=('^-f(no-)?stack-protector' '^-mbranch-protection=') ;;
	*) skip "what $machine's compilers give differs from one to another" ;;
	esac
	local protection
	for protection in "${expected[@]}"; do
		asked "$protection" || {
			echo "$machine, yet the build asks for no $protection: $EPOCHNOW_HARDENING"
			return 1
		}
	done
}
