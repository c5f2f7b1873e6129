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
// C library that the C++ standard library was not made for.  Where long is 32
// bits, long long is its one extension (see main).

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

// The real-time clock is read with clock_gettime() where <time.h> offers it.
// macOS declares it from 10.12 on, and a program built for an older release
// imports it weakly, as a null pointer there: such a build reads time(),
// which is exact on macOS (it reads gettimeofday()).
#if defined(CLOCK_REALTIME) &&                                                                               \
	!(defined(__APPLE__) && defined(__ENVIRONMENT_MAC_OS_X_VERSION_MIN_REQUIRED__) &&                    \
		__ENVIRONMENT_MAC_OS_X_VERSION_MIN_REQUIRED__ < 101200)
#define EPOCHNOW_CLOCK_GETTIME 1
#endif

// 32-bit SPARC and PowerPC kernels keep the seconds of their 32-bit vDSO's
// clock in 32 bits and do not say when those overflow, in 2106, and glibc
// takes the wrapped answer as true, through clock_gettime() and time()
// alike.  There the kernel's own 64-bit call is asked first, and the C
// library's clock whenever that call fails: a kernel before Linux 5.1 lacks
// it, and a sandbox may forbid a call it does not know.
#if defined(__linux__) &&                                                                                    \
	((defined(__sparc__) && !defined(__arch64__)) || (defined(__powerpc__) && !defined(__powerpc64__)))
#include <sys/syscall.h>
#include <unistd.h>
#ifdef SYS_clock_gettime64
#define EPOCHNOW_KERNEL_CLOCK64 1
#endif
#endif

namespace {

// Read the C library's clock into NOW: 0, or -1 with errno set.
int read_clock(time_t &now)
{
#ifdef EPOCHNOW_CLOCK_GETTIME
	// The real-time clock itself: time() may read a copy that the kernel
	// updates once a tick, and so still show the second before for the
	// first milliseconds of each second.  The fraction is dropped.
	struct timespec ts;
	if (clock_gettime(CLOCK_REALTIME, &ts) != 0)
		return -1;
	now = ts.tv_sec;
#else
	// time() may fail only by returning -1 and setting errno; -1 alone is a
	// real reading, the last second of 1969.
	errno = 0;
	now = time(NULL);
	if (now == static_cast<time_t>(-1) && errno != 0)
		return -1;
#endif
	return 0;
}

#ifdef EPOCHNOW_KERNEL_CLOCK64
// Read the kernel's 64-bit real-time clock into NOW: 0; -1 with errno
// EOVERFLOW where the reading does not fit a 32-bit time_t; or, where the
// call itself fails, whatever the C library's clock answers.
int read_kernel_clock64(time_t &now)
{
	struct {
		long long tv_sec;
		long long tv_nsec;
	} ts;
	// The real-time clock is 0 in the kernel's interface, whatever <time.h>
	// offers.
	if (syscall(SYS_clock_gettime64, 0, &ts) != 0)
		return read_clock(now);
	now = static_cast<time_t>(ts.tv_sec);
	if (now != ts.tv_sec) {
		errno = EOVERFLOW;
		return -1;
	}
	return 0;
}
#endif

}  // namespace

int main(int, char *[])
{
	time_t now = 0;
#ifdef EPOCHNOW_KERNEL_CLOCK64
	const int failed = read_kernel_clock64(now);
#else
	const int failed = read_clock(now);
#endif
	if (failed != 0) {
		fprintf(stderr, "epochnow_unix: cannot read the clock: %s\n", strerror(errno));
		return 1;
	}

	// The 64-bit long of an LP64 system (as its compiler, or Solaris's
	// <sys/isa_defs.h>, says) holds every time_t.  Where long is 32 bits,
	// time_t may be 64 (32-bit GNU/Linux with a 64-bit time_t), which C++98
	// has no type for: there, and only there, the reading goes whole to
	// printf as long long, which every compiler of those systems has.  The
	// test on sizeof is on constants: the compiler keeps one branch.
	int written;
#if defined(_LP64) || defined(__LP64__)
	written = printf("%ld\n", static_cast<long>(now));
#else
	if (sizeof(time_t) <= sizeof(long))
		written = printf("%ld\n", static_cast<long>(now));
	else
		written = printf("%lld\n", static_cast<long long>(now));
#endif

	// The line sits in stdout's buffer: a full disk or a vanished reader
	// shows only when it is flushed, so close the stream here and check.
	if (written < 0 || fclose(stdout) != 0) {
		fprintf(stderr, "epochnow_unix: write error: %s\n", strerror(errno));
		return 1;
	}
	return 0;
}
