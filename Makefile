# SPDX-License-Identifier: ISC
#
# epochnow for systems without CMake: POSIX make, as SunOS 5.8's make and
# the BSDs' take it.  Each variable may be given on the command line:
#
#   make [CXX=c++] [CC=cc] [CPPFLAGS=] [CXXFLAGS=-O2] [LDFLAGS=] [LDLIBS=-lrt]
#   make check                 the self-test, on the real clock
#   make install [DESTDIR=] [PREFIX=/usr/local] [MANPREFIX=$(PREFIX)/man]
#   make clean
#
# The C++ compiler compiles and the C compiler links, so that the program
# needs only the C library at run time, whatever the C++ driver would add:
# CC is the C compiler that goes with CXX (CC=clang for CXX=clang++), or,
# where the C++ driver is the only one, CC=c++.  TIME64 asks 32-bit glibc for
# a 64-bit time_t, right after 2038; other C libraries ignore it (TIME64= for
# the legacy 32-bit time_t).  Solaris 10 and older keep clock_gettime in
# librt: LDLIBS=-lrt.

.POSIX:

CXX = c++
CC = cc
CPPFLAGS =
CXXFLAGS = -O2
LDFLAGS =
LDLIBS =
TIME64 = -D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64
PREFIX = /usr/local
MANPREFIX = $(PREFIX)/man

all: epochnow_unix

epochnow_unix: epochnow.o
	$(CC) $(CXXFLAGS) $(LDFLAGS) -o $@ epochnow.o $(LDLIBS)

epochnow.o: src/epochnow.cpp
	$(CXX) $(TIME64) $(CPPFLAGS) $(CXXFLAGS) -c src/epochnow.cpp

check: epochnow_unix
	sh tests/selftest.sh ./epochnow_unix

install: epochnow_unix
	mkdir -p $(DESTDIR)$(PREFIX)/bin $(DESTDIR)$(MANPREFIX)/man1
	cp epochnow_unix $(DESTDIR)$(PREFIX)/bin/epochnow_unix
	chmod 755 $(DESTDIR)$(PREFIX)/bin/epochnow_unix
	cp man/epochnow_unix.1 $(DESTDIR)$(MANPREFIX)/man1/epochnow_unix.1
	chmod 644 $(DESTDIR)$(MANPREFIX)/man1/epochnow_unix.1

clean:
	rm -f epochnow_unix epochnow.o
