#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
# The executable is built for the machine and C library its preset names:
# EPOCHNOW_EXPECTED_ELF is what elf_summary must say of it.

load helpers

# elf_summary FILE: "ELF<class> <LSB|MSB> EM_<machine>, " and then
# "interpreter <path>" or "static", from the ELF header's own fields, which
# no tool rewords from one version to the next.
elf_summary() {
	local -a byte
	read -ra byte <<<"$(od -An -v -tu1 -N20 "$1" | tr -s ' \n' '  ')"
	[[ ${byte[*]:0:4} == "127 69 76 70" ]] || { echo "not ELF"; return; }
	local class=$((byte[4] == 1 ? 32 : 64)) order machine
	if ((byte[5] == 1)); then
		order=LSB machine=$((byte[18] + 256 * byte[19]))
	else
		order=MSB machine=$((256 * byte[18] + byte[19]))
	fi
	# The machines of the presets, named as in <elf.h>.
	case $machine in
	3) machine=EM_386 ;;
	4) machine=EM_68K ;;
	8) machine=EM_MIPS ;;
	15) machine=EM_PARISC ;;
	18) machine=EM_SPARC32PLUS ;;
	20) machine=EM_PPC ;;
	21) machine=EM_PPC64 ;;
	22) machine=EM_S390 ;;
	40) machine=EM_ARM ;;
	43) machine=EM_SPARCV9 ;;
	62) machine=EM_X86_64 ;;
	183) machine=EM_AARCH64 ;;
	243) machine=EM_RISCV ;;
	36902) machine=EM_ALPHA ;;
	*) machine="machine $machine" ;;
	esac
	local interpreter
	interpreter=$(readelf -W --program-headers "$1" | sed -n 's/.*\[Requesting program interpreter: \(.*\)\]$/\1/p')
	echo "ELF$class $order $machine, ${interpreter:+interpreter }${interpreter:-static}"
}

@test "built for the named architecture" {
	local said
	said=$(elf_summary "$(readlink -f "$EPOCHNOW")")
	echo "elf: $said"
	echo "expected: $EPOCHNOW_EXPECTED_ELF"
	[[ $said =~ $EPOCHNOW_EXPECTED_ELF ]]
}
