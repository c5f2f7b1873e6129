#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
# The manual page.

load helpers

@test "the manual page is clean under mandoc's lint, style included" {
	command -v mandoc >/dev/null || skip "mandoc is not installed"
	run mandoc -T lint -W all "$EPOCHNOW_MANUAL"
	echo "$output"
	# Whether the pages under SEE ALSO are installed and indexed here is
	# this machine's business, not the page's.
	local findings
	findings=$(grep -v -e 'referenced manual not found: Xr ' -e 'mandoc\.db' <<<"$output" || true)
	[[ -z $findings ]]
}

@test "the manual page names both diagnostics and the clock it reads" {
	command -v mandoc >/dev/null || skip "mandoc is not installed"
	local text
	text=$(mandoc -T ascii -O width=200 "$EPOCHNOW_MANUAL" | sed -e $'s/.\b//g')
	[[ $text == *"epochnow_unix: write error:"* ]]
	[[ $text == *"epochnow_unix: cannot read the clock:"* ]]
	[[ $text == *"real-time clock"* && $text == *"clock_gettime(2)"* ]]
}
