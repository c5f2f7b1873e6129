// SPDX-License-Identifier: ISC
//
// epochnow_unix: print the current calendar time as the whole seconds since
// 1970-01-01 00:00:00 UTC, in decimal on one line, and exit.
//
// Arguments, standard input, the environment, the locale and the time zone
// have no effect.  The exit status is 0 when the line has been written in full,
// and 1, with a message on standard error, when the clock cannot be read or
// standard output cannot take the line.
//
// The source is C++98 and includes only the C library's own headers, so that
// it builds with the oldest compilers of the systems it runs on and against a
// C library that the C++ standard library was not made for.

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

int main(int, char *[])
{
#ifdef CLOCK_REALTIME
	// The real-time clock itself: time() may read a copy that the kernel
	// updates once a tick, and so still show the second before for the
	// first milliseconds of each second.  The fraction is dropped.
	struct timespec ts;
	if (clock_gettime(CLOCK_REALTIME, &ts) != 0) {
		fprintf(stderr, "epochnow_unix: cannot read the clock: %s\n", strerror(errno));
		return 1;
	}
	const time_t now = ts.tv_sec;
#else
	// time() may fail only by returning -1 and setting errno; -1 alone is a
	// real reading, the last second of 1969.
	errno = 0;
	const time_t now = time(NULL);
	if (now == static_cast<time_t>(-1) && errno != 0) {
		fprintf(stderr, "epochnow_unix: cannot read the clock: %s\n", strerror(errno));
		return 1;
	}
#endif

	// Where time_t is wider than long (32-bit systems with 64-bit time),
	// hand the full value over as long long.  The test is on constants:
	// the compiler keeps one branch.
	int written;
	if (sizeof(time_t) <= sizeof(long))
		written = printf("%ld\n", static_cast<long>(now));
	else
		written = printf("%lld\n", static_cast<long long>(now));

	// The line sits in stdout's buffer: a full disk or a vanished reader
	// shows only when it is flushed, so close the stream here and check.
	if (written < 0 || fclose(stdout) != 0) {
		fprintf(stderr, "epochnow_unix: write error: %s\n", strerror(errno));
		return 1;
	}
	return 0;
}
