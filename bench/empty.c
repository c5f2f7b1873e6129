/* SPDX-License-Identifier: ISC */
/*
 * The floor for a dynamically linked program: it does nothing, so what it
 * costs is the loader's and the C library's start-up alone.
 */
int main(void)
{
	return 0;
}
