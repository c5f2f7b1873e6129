#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
# The executable is built for the machine and C library its preset names:
# EPOCHNOW_EXPECTED_ELF is what file(1) must say of it.

load helpers

@test "built for the named architecture" {
	local said
	said=$(file -bL "$EPOCHNOW")
	echo "file: $said"
	[[ $said =~ $EPOCHNOW_EXPECTED_ELF ]]
}
