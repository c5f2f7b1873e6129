// SPDX-License-Identifier: ISC
//
// Forced ahead of the program's source by EPOCHNOW_NO_CLOCK_REALTIME: a
// <time.h> without CLOCK_REALTIME, as older systems have, so that the
// program's time() path is built and tested here too.  The header's own
// guard keeps the program's later #include <time.h> from defining it again.

#include <time.h>
#undef CLOCK_REALTIME
