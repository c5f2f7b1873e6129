// epochnow_unix: print the current calendar time as the whole seconds since
// 1970-01-01 00:00:00 UTC, in decimal on one line, and exit.
//
// Arguments, standard input, the environment, the locale and the time zone
// play no part.  The exit status is 0 when the line has been written in full,
// and 1, with a message on standard error, when the clock cannot be read or
// standard output cannot take the line.
//
// Only the C library's own headers are included, so that the program also
// builds against a C library that the C++ standard library was not made for.

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

int main(int, char *[])
{
	// time() may fail only by returning -1 and setting errno; -1 alone is a
	// real reading, the last second of 1969.
	errno = 0;
	const time_t now = time(nullptr);
	if (now == static_cast<time_t>(-1) && errno != 0) {
		fprintf(stderr, "epochnow_unix: cannot read the clock: %s\n", strerror(errno));
		return 1;
	}

	// Where time_t is wider than long (32-bit systems with 64-bit time),
	// hand the full value over as long long.
	int written;
	if constexpr (sizeof(time_t) <= sizeof(long))
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
