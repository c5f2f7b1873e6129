// SPDX-License-Identifier: ISC
//
// conventions numeric|zone: what the program's C library takes from the
// environment, so that the suites know that a locale or time zone they set
// is in effect there, and not quietly replaced by C's or UTC.
//
//   numeric  NAME|DECIMAL POINT|THOUSANDS SEPARATOR of the numeric locale
//            that LC_ALL, LC_NUMERIC and LANG choose, or "unavailable"
//   zone     the offset from UTC, in seconds, that TZ gives 1234567890
//            (2009-02-13 23:31:30 UTC)
//
// Built as the program is built, and run where it runs.

#include <locale.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

int main(int argc, char **argv)
{
	if (argc == 2 && strcmp(argv[1], "numeric") == 0) {
		if (setlocale(LC_ALL, "") == nullptr) {
			printf("unavailable\n");
			return 0;
		}
		const lconv *numeric = localeconv();
		printf("%s|%s|%s\n", setlocale(LC_NUMERIC, nullptr), numeric->decimal_point,
			numeric->thousands_sep);
		return 0;
	}
	if (argc == 2 && strcmp(argv[1], "zone") == 0) {
		tzset();
		const time_t reading = 1234567890;
		tm local{};
		if (localtime_r(&reading, &local) == nullptr)
			return 1;
		printf("%ld\n", static_cast<long>(local.tm_gmtoff));
		return 0;
	}
	fprintf(stderr, "usage: conventions numeric|zone\n");
	return 2;
}
