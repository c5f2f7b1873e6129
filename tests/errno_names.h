// SPDX-License-Identifier: ISC
//
// The errno values that the tests name, by name: their numbers differ from
// one architecture to the next.

#ifndef EPOCHNOW_TESTS_ERRNO_NAMES_H
#define EPOCHNOW_TESTS_ERRNO_NAMES_H

#include <errno.h>
#include <string.h>

// The value of errno NAME, or 0 for a name this table does not know.
inline int errno_named(const char *name)
{
	struct Named {
		const char *name;
		int value;
	};
	static constexpr Named known[] = {{"EBADF", EBADF}, {"EFAULT", EFAULT}, {"EINVAL", EINVAL},
		{"EIO", EIO}, {"ENOSPC", ENOSPC}, {"ENOSYS", ENOSYS}, {"EOVERFLOW", EOVERFLOW},
		{"EPERM", EPERM}, {"EPIPE", EPIPE}};
	for (const Named &n : known)
		if (strcmp(n.name, name) == 0)
			return n.value;
	return 0;
}

#endif
