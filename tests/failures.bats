#!/usr/bin/env bats
# SPDX-License-Identifier: ISC
#
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
	fails_with "$(write_error ENOSPC)"

	capture_stderr "${REAL[@]}" >&-
	fails_with "$(write_error EBADF)"

	capture_stderr with_sigpipe IGNORE "${REAL[@]}"
	fails_with "$(write_error EPIPE)"
}

@test "a close that fails is a write error" {
	need_fakeclock
	# NFS and FUSE report a write that failed only when the file is closed.
	EPOCHNOW_FAKE_CLOSE_ERRNO=$(errno_of EIO) capture_stderr "${FAKED[@]}" >/dev/null
	fails_with "$(write_error EIO)"
}

@test "SIGPIPE keeps its default disposition" {
	capture_stderr with_sigpipe DEFAULT "${REAL[@]}"
	((status == 128 + 13))
	[[ ! -s $ERR ]]
}

@test "a clock that cannot be read is an error; a kernel call that fails is not" {
	need_fakeclock
	local kernel clock
	# The kernel's clock_gettime64 call (where the program asks it: 32-bit
	# SPARC and PowerPC GNU/Linux) fails with KERNEL; every reading of the
	# clock, the C library's and the call's, fails with CLOCK; "-": no such
	# failure.  Any failure of the call itself leaves the C library's
	# answer, a sandbox's EPERM included.
	while read -r kernel clock; do
		[[ $kernel == - ]] || asks_kernel || continue
		EPOCHNOW_FAKE_KERNEL_ERRNO=$(errno_of "${kernel#-}") EPOCHNOW_FAKE_ERRNO=$(errno_of "${clock#-}") \
			EPOCHNOW_FAKE_TIME=1234567890 capture "${FAKED[@]}"
		if [[ $clock == - ]]; then
			prints 1234567890
		else
			fails_with "$(clock_error "$clock")"
		fi
	done <<-'END'
		-      EFAULT
		-      EINVAL
		-      EPERM
		-      EOVERFLOW
		EPERM  -
		ENOSYS -
		EINVAL -
		EFAULT -
		EPERM  EINVAL
	END
}

@test "the clock error comes first when output would fail too" {
	need_fakeclock
	EPOCHNOW_FAKE_ERRNO=$(errno_of EFAULT) capture_stderr "${FAKED[@]}" >/dev/full
	fails_with "$(clock_error EFAULT)"
}
