#!/usr/bin/env bats
# Failures are reported: one line on standard error and status 1.

load helpers

# with_sigpipe DISPOSITION CMD...: run CMD writing into a pipe whose reader
# is already gone, with SIGPIPE set to DISPOSITION (IGNORE or DEFAULT).
with_sigpipe() {
	perl -e 'pipe(my $r, my $w) or die; close $r; open(STDOUT, ">&", $w) or die;
		$SIG{PIPE} = shift; exec @ARGV or die' "$@"
}

@test "output that cannot be written is an error" {
	capture_stderr "${REAL[@]}" >/dev/full
	fails_with "epochnow_unix: write error: No space left on device"

	capture_stderr "${REAL[@]}" >&-
	fails_with "epochnow_unix: write error: Bad file descriptor"

	capture_stderr with_sigpipe IGNORE "${REAL[@]}"
	fails_with "epochnow_unix: write error: Broken pipe"
}

@test "SIGPIPE keeps its default disposition" {
	capture_stderr with_sigpipe DEFAULT "${REAL[@]}"
	((status == 128 + 13))
	[[ ! -s $ERR ]]
}

@test "a clock that cannot be read is an error" {
	need_fakeclock
	local name text
	while IFS=: read -r name text; do
		EPOCHNOW_FAKE_ERRNO=$name capture "${FAKED[@]}"
		fails_with "epochnow_unix: cannot read the clock: $text"
	done <<-'END'
		EFAULT:Bad address
		EPERM:Operation not permitted
		EOVERFLOW:Value too large for defined data type
	END
}

@test "the clock error comes first when output would fail too" {
	need_fakeclock
	EPOCHNOW_FAKE_ERRNO=EFAULT capture_stderr "${FAKED[@]}" >/dev/full
	fails_with "epochnow_unix: cannot read the clock: Bad address"
}
