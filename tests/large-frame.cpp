// SPDX-License-Identifier: ISC
//
// A function whose frame is larger than a page, for the hardening suite:
// stack clash protection probes such a frame page by page as it makes it,
// and has nothing to do in main's, which is far smaller.

void use(char *buffer);

void large_frame()
{
	char buffer[65536];
	use(buffer);
}
