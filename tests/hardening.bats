#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
# Each protection the build added is in effect, checked by what it did to the
# executable; what the given flags decide is theirs.  From the build
# (cmake/hardening.cmake): EPOCHNOW_HARDENING, the options it added, and
# EPOCHNOW_HARDENING_UNSUPPORTED, those the target refused; EPOCHNOW_COMPILER,
# CMake's compiler id; EPOCHNOW_MUSL, ON against musl; EPOCHNOW_OBJDUMP, the
# target's objdump.

load helpers

# added OPTION: the build added OPTION.
added() {
	[[ " $EPOCHNOW_HARDENING " == *" $1 "* ]]
}

# main_code: main's instructions, one a line, as the target's objdump (GNU's
# or LLVM's) disassembles them; first: the first of them; elf OPTION...: what
# readelf shows of the executable.
main_code() {
	"$EPOCHNOW_OBJDUMP" -d --no-show-raw-insn "$EPOCHNOW" | awk '
		/<main>:$/ { inside = 1; next }
		inside && !NF { exit }
		inside { sub(/^[ \t]*[0-9a-f]+:[ \t]*/, ""); print }'
}
first() { main_code | sed -n 1p; }
elf() { readelf -W "$@" "$EPOCHNOW"; }

@test "each protection the build added is in effect" {
	local option what read pattern checked=0
	# An option the build may add, what it makes of the executable, what to
	# read, and a line there that shows it.
	while IFS='|' read -r option what read pattern; do
		added "$option" || continue
		# main passes the address of a local to clock_gettime, not to time().
		[[ $option != -fstack-protector-strong || ${EPOCHNOW_CLOCK_CALL:-} != time ]] || continue
		checked=$((checked + 1))
		# shellcheck disable=SC2086 # $read is a command and its options
		$read | grep -Eq -- "$pattern" || { echo "$option, yet not $what: $($read | head -n 20)" && return 1; }
	done <<-'END'
		-pie|a position-independent executable|elf --file-header|Type: +DYN
		-pie|flagged PIE|elf --dynamic|\(FLAGS_1\).*\bPIE\b
		-Wl,-z,relro|read-only relocations|elf --program-headers|^ *GNU_RELRO\b
		-Wl,-z,now|bound at start|elf --dynamic|\(FLAGS\).*\bBIND_NOW\b|\(FLAGS_1\).*\bNOW\b
		-Wl,-z,noexecstack|a non-executable stack|elf --program-headers|^ *GNU_STACK( +0x[0-9a-f]+){5} +RW +0x
		-fstack-protector-strong|a guarded frame of main, which calls __stack_chk_fail|elf --dyn-syms| UND __stack_chk_fail\b
		-fcf-protection|main, an indirect branch target|first|^endbr(32|64)\b
		-mbranch-protection=standard|main, a branch target (bti, or paciasp, a landing pad too)|first|^(bti|paciasp|pacibsp)\b
		-mbranch-protection=standard|main, signing its return address|main_code|^(paciasp|pacibsp)\b
	END
	((checked)) || skip "the build added none of them: ${EPOCHNOW_HARDENING:-nothing}"
}

@test "printf is fortified where the build adds it" {
	local symbols
	symbols=$(readelf -W --dyn-syms "$EPOCHNOW")
	if [[ $EPOCHNOW_MUSL == ON ]]; then
		# musl has no checked variants: a reference to glibc's would not load.
		grep -Eq '\bprintf\b' <<<"$symbols" && ! grep -Eq '\b__printf_chk' <<<"$symbols"
		return
	fi
	[[ $EPOCHNOW_HARDENING == *-D_FORTIFY_SOURCE=* ]] || skip "the build did not add -D_FORTIFY_SOURCE"
	[[ $EPOCHNOW_COMPILER == GNU ]] ||
		skip "glibc fortifies printf only for GCC before 2.40 (compiler: $EPOCHNOW_COMPILER)"
	# Where long double is IEEE 128-bit (64-bit POWER with GCC 16), glibc
	# names it __printf_chkieee128.
	grep -Eq '\b__printf_chk(ieee128)?\b' <<<"$symbols"
}

@test "x86 and 64-bit ARM support every protection their compilers give" {
	local machine protection
	local -a expected
	machine=$(readelf -h "$EPOCHNOW" | sed -n 's/^ *Machine: *//p')
	case $machine in
	"Advanced Micro Devices X86-64" | "Intel 80386") expected=(-fstack-protector-strong -fcf-protection) ;;
	AArch64) expected=(-fstack-protector-strong -mbranch-protection=standard) ;;
	*) skip "what $machine's compilers give differs from one to another" ;;
	esac
	for protection in "${expected[@]}"; do
		[[ " $EPOCHNOW_HARDENING_UNSUPPORTED " != *" $protection "* ]] || {
			echo "$machine, yet the build found $protection unsupported"
			return 1
		}
	done
}
