// SPDX-License-Identifier: ISC
//
// What the program's C library says, built as the program is built and run
// where it runs, so that the suites expect its own words and know that each
// locale and time zone they set is in effect there:
//
//   libc errno NAME     the number of errno NAME, which differs from one
//                       architecture to the next (the test clock takes it)
//   libc strerror NAME  the description of errno NAME
//   libc numeric        NAME|DECIMAL POINT|THOUSANDS SEPARATOR of the numeric
//                       locale that LC_ALL, LC_NUMERIC and LANG choose, or
//                       "unavailable"
//   libc zone           the offset from UTC, in seconds, that TZ gives
//                       1234567890 (2009-02-13 23:31:30 UTC)

#include <errno.h>
#include <locale.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

namespace {

struct Named {
	const char *name;
	int value;
};

// The errno values that the tests name.
constexpr Named errnos[] = {{"EBADF", EBADF}, {"EFAULT", EFAULT}, {"EINVAL", EINVAL}, {"EIO", EIO},
	{"ENOSPC", ENOSPC}, {"ENOSYS", ENOSYS}, {"EOVERFLOW", EOVERFLOW}, {"EPERM", EPERM}, {"EPIPE", EPIPE}};

}  // namespace

int main(int argc, char **argv)
{
	const char *what = argc > 1 ? argv[1] : "";
	const bool number = strcmp(what, "errno") == 0;
	if (argc == 3 && (number || strcmp(what, "strerror") == 0)) {
		for (const Named &known : errnos) {
			if (strcmp(known.name, argv[2]) != 0)
				continue;
			if (number)
				printf("%d\n", known.value);
			else
				printf("%s\n", strerror(known.value));
			return 0;
		}
	} else if (argc == 2 && strcmp(what, "numeric") == 0) {
		if (setlocale(LC_ALL, "") == nullptr) {
			printf("unavailable\n");
			return 0;
		}
		const lconv *numeric = localeconv();
		printf("%s|%s|%s\n", setlocale(LC_NUMERIC, nullptr), numeric->decimal_point,
			numeric->thousands_sep);
		return 0;
	} else if (argc == 2 && strcmp(what, "zone") == 0) {
		tzset();
		const time_t reading = 1234567890;
		tm local{};
		if (localtime_r(&reading, &local) == nullptr)
			return 1;
		printf("%ld\n", static_cast<long>(local.tm_gmtoff));
		return 0;
	}
	fprintf(stderr, "usage: libc errno|strerror NAME, or libc numeric|zone\n");
	return 2;
}
