#!/usr/bin/env bats
# The manual page.

load helpers

@test "the manual page is clean under mandoc's lint" {
	command -v mandoc >/dev/null || skip "mandoc is not installed"
	run mandoc -T lint -W warning "$EPOCHNOW_MANUAL"
	echo "$output"
	((status == 0))
	[[ -z $output ]]
}

@test "the manual page names both diagnostics" {
	command -v mandoc >/dev/null || skip "mandoc is not installed"
	local text
	text=$(mandoc -T ascii -O width=200 "$EPOCHNOW_MANUAL" | sed -e $'s/.\b//g')
	[[ $text == *"epochnow_unix: write error:"* ]]
	[[ $text == *"epochnow_unix: cannot read the clock:"* ]]
}
