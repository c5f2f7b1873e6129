// SPDX-License-Identifier: ISC
//
// strerror NAME: print the description that the C library gives errno NAME,
// so that the suites expect the messages of the program's own C library.
// Built as the program is built, and run where it runs.

#include <stdio.h>

#include "errno_names.h"

int main(int argc, char **argv)
{
	const int value = argc == 2 ? errno_named(argv[1]) : 0;
	if (value == 0) {
		fprintf(stderr, "usage: strerror EBADF|EFAULT|EINVAL|EIO|ENOSPC|EOVERFLOW|EPERM|EPIPE\n");
		return 2;
	}
	printf("%s\n", strerror(value));
	return 0;
}
