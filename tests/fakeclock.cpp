// SPDX-License-Identifier: ISC
//
// A clock for the tests, preloaded into epochnow_unix in place of the C
// library's clock_gettime() for CLOCK_REALTIME and CLOCK_REALTIME_COARSE,
// and of its time(); and a close of standard output that fails:
//
//   EPOCHNOW_FAKE_TIME=N[.F]      the clock reads N seconds and the fraction F
//   EPOCHNOW_FAKE_ERRNO=E         the clock cannot be read: -1 with errno E
//   EPOCHNOW_FAKE_LOG=FILE        every reading appends a line to FILE
//   EPOCHNOW_FAKE_CLOSE_ERRNO=E   fclose(stdout) closes, then fails with errno E
//   EPOCHNOW_FAKE_KERNEL_ERRNO=E  the kernel's clock_gettime64 call fails with E
//   EPOCHNOW_FAKE_TICK=F          time() and CLOCK_REALTIME_COARSE read F seconds
//                                 behind, as a copy the kernel moves once a tick may
//
// An errno E is a number (tests/libc.cpp gives it for a name).  A variable
// set empty counts as unset.  With neither of the first two set,
// the real clock is read.  Where the program asks the kernel's
// clock_gettime64 itself, through syscall() (on 32-bit SPARC and PowerPC),
// that call reads the same clock, unless EPOCHNOW_FAKE_KERNEL_ERRNO is set.  A reading that
// does not fit the caller's time_t fails with EOVERFLOW, as glibc's 32-bit
// calls do.  Other clocks are the C library's.  On 32-bit glibc a program
// built with 64-bit time calls __clock_gettime64 and __time64 instead, so
// those are provided there too, whatever time_t this file is compiled with.

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

// glibc declares its functions noexcept for C++, other C libraries do not:
// the definitions here must say the same as the declarations.
#ifdef __GLIBC__
#define CLIB_NOEXCEPT noexcept
#else
#define CLIB_NOEXCEPT
#endif

namespace {

// The C library's definition of NAME, behind this one.  Looked up at each
// call: a static would need the C++ runtime's guard, which the test clock
// does without.
template <typename Call>
Call real(const char *name)
{
	void *found = dlsym(RTLD_NEXT, name);
	if (found == nullptr)
		abort();
	return reinterpret_cast<Call>(found);
}

// On 32-bit glibc each call has two symbols: the legacy one, with a 32-bit
// time_t, and the __*64 one that a program built with _TIME_BITS=64 calls.
// Which of them <time.h> means by time() depends on the _TIME_BITS that this
// file is compiled with, and some compilers set it by default, so there the
// stand-ins are defined by symbol name, each with its own types.
#if defined(__GLIBC__) && defined(__TIMESIZE) && __TIMESIZE != 64
#define TWO_SYMBOLS_A_CALL 1

// The legacy timespec: seconds and nanoseconds, each a long.
struct timespec_legacy {
	long tv_sec;
	long tv_nsec;
};

// The timespec of 64-bit time on a 32-bit system: 64-bit seconds, then the
// 32-bit nanoseconds padded to 64 bits, the padding first on a big-endian
// machine.
struct timespec64 {
	int64_t tv_sec;
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
	int32_t padding;
	int32_t tv_nsec;
#else
	int32_t tv_nsec;
	int32_t padding;
#endif
};
#else
typedef timespec timespec_legacy;
#endif

// The errno that the environment's VARIABLE gives; 0 where it is unset or
// empty.
int errno_from(const char *variable)
{
	const char *number = getenv(variable);
	return number == nullptr ? 0 : atoi(number);
}

// The C library's clock_gettime symbol.
int real_clock_gettime(clockid_t clock, timespec_legacy *ts)
{
	return real<int (*)(clockid_t, timespec_legacy *)>("clock_gettime")(clock, ts);
}

// "[-]N[.F]" as a timespec holds it: the second that has begun, rounded
// down (-0.5 is 0.5 s into second -1), and the nanoseconds into it.
void parse_reading(const char *text, int64_t &seconds, long &nanoseconds)
{
	char *rest = nullptr;
	seconds = strtoll(text, &rest, 10);
	nanoseconds = 0;
	if (*rest == '.') {
		long scale = 100000000;
		for (const char *digit = rest + 1; *digit >= '0' && *digit <= '9' && scale > 0; digit++) {
			nanoseconds += (*digit - '0') * scale;
			scale /= 10;
		}
	}
	if (text[0] == '-' && nanoseconds > 0) {
		seconds -= 1;
		nanoseconds = 1000000000 - nanoseconds;
	}
}

// The reading the environment asks for, of the coarse clocks where COARSE;
// false, with errno set, for a failure.
bool read_clock(int64_t &seconds, long &nanoseconds, bool coarse)
{
	if (const char *log = getenv("EPOCHNOW_FAKE_LOG")) {
		const int fd = open(log, O_WRONLY | O_APPEND | O_CREAT, 0644);
		if (fd < 0 || write(fd, "read\n", 5) != 5 || close(fd) != 0)
			abort();
	}
	if (const int failure = errno_from("EPOCHNOW_FAKE_ERRNO")) {
		errno = failure;
		return false;
	}
	if (const char *fixed = getenv("EPOCHNOW_FAKE_TIME")) {
		parse_reading(fixed, seconds, nanoseconds);
	} else {
		timespec_legacy now{};
		if (real_clock_gettime(CLOCK_REALTIME, &now) != 0)
			return false;
		seconds = now.tv_sec;
		nanoseconds = now.tv_nsec;
	}
	const char *tick = getenv("EPOCHNOW_FAKE_TICK");
	if (coarse && tick != nullptr && *tick != '\0') {
		int64_t lag_seconds;
		long lag;
		parse_reading(tick, lag_seconds, lag);
		seconds -= lag_seconds + (nanoseconds < lag);
		nanoseconds += nanoseconds < lag ? 1000000000 - lag : -lag;
	}
	return true;
}

// The reading's seconds as Seconds; false, with errno set, for a failure.
template <typename Seconds>
bool read_clock_as(Seconds &result, long &nanoseconds, bool coarse)
{
	int64_t seconds = 0;
	if (!read_clock(seconds, nanoseconds, coarse))
		return false;
	if (static_cast<int64_t>(static_cast<Seconds>(seconds)) != seconds) {
		errno = EOVERFLOW;
		return false;
	}
	result = static_cast<Seconds>(seconds);
	return true;
}

template <typename Seconds>
Seconds fake_time(Seconds *result)
{
	Seconds seconds;
	long nanoseconds;
	if (!read_clock_as(seconds, nanoseconds, true))
		return -1;
	if (result != nullptr)
		*result = seconds;
	return seconds;
}

template <typename Timespec>
int fake_clock_gettime(clockid_t clock, Timespec *ts, const char *symbol)
{
	const bool coarse = clock == CLOCK_REALTIME_COARSE;
	if (clock != CLOCK_REALTIME && !coarse)
		return real<int (*)(clockid_t, Timespec *)>(symbol)(clock, ts);
	Timespec reading{};
	long nanoseconds;
	if (!read_clock_as(reading.tv_sec, nanoseconds, coarse))
		return -1;
	reading.tv_nsec = static_cast<decltype(reading.tv_nsec)>(nanoseconds);
	*ts = reading;
	return 0;
}

}  // namespace

#ifdef TWO_SYMBOLS_A_CALL
extern "C" long time_legacy(long *result) noexcept __asm__("time");
extern "C" long time_legacy(long *result) noexcept
{
	return fake_time(result);
}

extern "C" int clock_gettime_legacy(clockid_t clock, timespec_legacy *ts) noexcept __asm__("clock_gettime");
extern "C" int clock_gettime_legacy(clockid_t clock, timespec_legacy *ts) noexcept
{
	return fake_clock_gettime(clock, ts, "clock_gettime");
}

extern "C" int64_t time64(int64_t *result) noexcept __asm__("__time64");
extern "C" int64_t time64(int64_t *result) noexcept
{
	return fake_time(result);
}

extern "C" int clock_gettime64(clockid_t clock, timespec64 *ts) noexcept __asm__("__clock_gettime64");
extern "C" int clock_gettime64(clockid_t clock, timespec64 *ts) noexcept
{
	return fake_clock_gettime(clock, ts, "__clock_gettime64");
}
#else
extern "C" time_t time(time_t *result) CLIB_NOEXCEPT
{
	return fake_time(result);
}

extern "C" int clock_gettime(clockid_t clock, timespec *ts) CLIB_NOEXCEPT
{
	return fake_clock_gettime(clock, ts, "clock_gettime");
}
#endif

// NFS and FUSE report a write that failed only when the file is closed.
// fclose is not declared noexcept anywhere: it is a cancellation point.
extern "C" int fclose(FILE *stream)
{
	const bool is_stdout = stream == stdout;
	const int closed = real<int (*)(FILE *)>("fclose")(stream);
	const int failure = errno_from("EPOCHNOW_FAKE_CLOSE_ERRNO");
	if (!is_stdout || failure == 0)
		return closed;
	errno = failure;
	return EOF;
}

#ifdef SYS_clock_gettime64
// The kernel's own timespec: 64-bit seconds and nanoseconds.
struct kernel_timespec {
	int64_t tv_sec;
	int64_t tv_nsec;
};

extern "C" long syscall(long number, ...) CLIB_NOEXCEPT
{
	// As the C library's syscall does, take six arguments, whatever the call.
	va_list args;
	va_start(args, number);
	long arg[6];
	for (long &each : arg)
		each = va_arg(args, long);
	va_end(args);
	if (number != SYS_clock_gettime64 || arg[0] != CLOCK_REALTIME)
		return real<long (*)(long, ...)>("syscall")(
			number, arg[0], arg[1], arg[2], arg[3], arg[4], arg[5]);
	if (const int failure = errno_from("EPOCHNOW_FAKE_KERNEL_ERRNO")) {
		errno = failure;
		return -1;
	}
	kernel_timespec reading{};
	long nanoseconds;
	if (!read_clock_as(reading.tv_sec, nanoseconds, false))
		return -1;
	reading.tv_nsec = nanoseconds;
	*reinterpret_cast<kernel_timespec *>(arg[1]) = reading;
	return 0;
}
#endif
