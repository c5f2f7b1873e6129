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

@test "the manual page shows every section and both diagnostics, with mandoc and with man(7) alone" {
	local renderer package text section man=an-old
	# The Debian package of a renderer, and the renderer; groff's an-old is
	# man(7) without mdoc, as the man of SunOS 5.8, HP-UX and AIX knows it,
	# and groff 1.23 (Debian 13) has only its an.
	groff -m an-old </dev/null >/dev/null 2>&1 || man=an
	while read -r package renderer; do
		command -v "${renderer%% *}" >/dev/null || skip "${renderer%% *} is not installed (apt-get install $package)"
		# shellcheck disable=SC2086 # the renderer's options are words
		text=$($renderer "$EPOCHNOW_MANUAL" 2>"$TEST_TMPDIR/said" | sed -e $'s/.\b//g')
		[[ ! -s $TEST_TMPDIR/said ]] || { echo "$renderer said:" && cat "$TEST_TMPDIR/said" && return 1; }
		for section in NAME SYNOPSIS DESCRIPTION ENVIRONMENT "EXIT STATUS" EXAMPLES DIAGNOSTICS "SEE ALSO" HISTORY CAVEATS; do
			grep -qx "$section" <<<"$text" || { echo "$renderer shows no $section" && return 1; }
		done
		[[ $text == *"epochnow_unix: write error: reason"* ]]
		[[ $text == *"epochnow_unix: cannot read the clock: reason"* ]]
		[[ $text == *"real-time clock"* && $text == *"clock_gettime(2)"* ]]
	done <<-END
		mandoc     mandoc -T ascii -O width=200
		groff-base groff -wmac -Tascii -P-c -m $man -rLL=200n
	END
}
