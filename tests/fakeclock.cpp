// A clock for the tests, preloaded into epochnow_unix in place of the C
// library's time():
//
//   EPOCHNOW_FAKE_TIME=N       the clock reads N seconds
//   EPOCHNOW_FAKE_ERRNO=NAME   the clock cannot be read: -1 with errno NAME
//   EPOCHNOW_FAKE_LOG=FILE     every reading appends a line to FILE
//
// With neither of the first two set, the real clock is read.  A reading that
// does not fit the caller's time_t fails with EOVERFLOW, as glibc's time()
// does.  On 32-bit glibc a program built with 64-bit time calls __time64
// instead of time, so both are provided there.

#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

namespace {

int errno_named(const char *name)
{
	struct Named {
		const char *name;
		int value;
	};
	static constexpr Named known[] = {
		{"EFAULT", EFAULT}, {"EINVAL", EINVAL}, {"EOVERFLOW", EOVERFLOW}, {"EPERM", EPERM},
	};
	for (const Named &n : known)
		if (strcmp(n.name, name) == 0)
			return n.value;
	abort();  // a test asked for an errno this clock does not know
}

// The reading the environment asks for; false, with errno set, for a failure.
bool read_clock(int64_t &seconds)
{
	if (const char *log = getenv("EPOCHNOW_FAKE_LOG")) {
		const int fd = open(log, O_WRONLY | O_APPEND | O_CREAT, 0644);
		if (fd < 0 || write(fd, "read\n", 5) != 5 || close(fd) != 0)
			abort();
	}
	if (const char *name = getenv("EPOCHNOW_FAKE_ERRNO")) {
		errno = errno_named(name);
		return false;
	}
	if (const char *fixed = getenv("EPOCHNOW_FAKE_TIME")) {
		seconds = strtoll(fixed, nullptr, 10);
		return true;
	}
	timespec now{};
	if (clock_gettime(CLOCK_REALTIME, &now) != 0)
		return false;
	seconds = now.tv_sec;
	return true;
}

template <typename Seconds>
Seconds fake_time(Seconds *result)
{
	int64_t seconds = 0;
	if (!read_clock(seconds))
		return -1;
	if (static_cast<int64_t>(static_cast<Seconds>(seconds)) != seconds) {
		errno = EOVERFLOW;
		return -1;
	}
	if (result != nullptr)
		*result = static_cast<Seconds>(seconds);
	return static_cast<Seconds>(seconds);
}

}  // namespace

extern "C" time_t time(time_t *result) noexcept
{
	return fake_time(result);
}

#if defined(__GLIBC__) && defined(__TIMESIZE) && __TIMESIZE != 64
extern "C" int64_t __time64(int64_t *result) noexcept
{
	return fake_time(result);
}
#endif
