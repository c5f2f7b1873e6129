# SPDX-License-Identifier: ISC
#
# Packages, made in the build folder by cpack: a .deb, an .rpm and a .tar.gz,
# the same bytes from two builds of one commit.  Reads from outside, when
# cpack runs: SOURCE_DATE_EPOCH or the commit's date (cmake/package-date.cmake),
# and dpkg-shlibdeps for the .deb's dependency.
set(CPACK_PACKAGE_NAME epochnow)
set(CPACK_PACKAGE_VENDOR "The epochnow developers")
set(CPACK_PACKAGE_CONTACT "${EPOCHNOW_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Spell checkers split the command's name at its underscore and flag the
# second half: the description names the command only in the summary's words.
set(CPACK_PACKAGE_DESCRIPTION [[
The command prints the current calendar time as one decimal number, the
whole seconds elapsed since 1970-01-01 00:00:00 UTC, on one line, and exits.
It reads the system's real-time clock once, ignores its arguments, input,
time zone and locale, and exits 1 with a message when the clock cannot be
read or the line cannot be written, so shell scripts can stamp, time and
compare events with it, often many times in a loop.]])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB RPM TGZ)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The C library the program was linked against, at the version its symbols need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE ISC)
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_PACKAGE_GROUP "Applications/System")
set(CPACK_RPM_CHANGELOG_FILE ${docs}/rpm-changelog)
# The packager, and the build's time and host taken out of the header.
# rpmbuild compresses the manual page with brp-compress, a bash script that
# rpm starts with /bin/sh, which is dash on Debian: there it compresses
# nothing unless bash runs it.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${EPOCHNOW_MAINTAINER}
%define __brp_compress bash %{_rpmconfigdir}/brp-compress %{?_prefix}
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _buildhost reproducible")
# The file system's own directories belong to the system's packages.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
	/usr/share/man /usr/share/man/man1 /usr/share/doc)

if(CMAKE_CROSSCOMPILING)
	# dpkg-shlibdeps and rpmbuild cannot read the target's libraries here.
	set(CPACK_GENERATOR TGZ)
endif()

# Time stamps in the packages: cmake/package-date.cmake decides them when
# cpack runs.
find_package(Git QUIET)
set(CPACK_EPOCHNOW_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_EPOCHNOW_GIT "${GIT_EXECUTABLE}")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/package-date.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/reproducible-packages.cmake)
if(CMAKE_VERSION VERSION_LESS 3.19)
	message(WARNING "CMake ${CMAKE_VERSION}: cpack runs post-build scripts only from 3.19 on, "
		"so the packages made here are not byte-reproducible: their files keep the file system's "
		"order and the .deb's Installed-Size its sizes")
endif()
include(CPack)
# The source tarball is dist's (cmake/release.cmake), of the tracked files
# alone: CPack's package_source, which would pack the build tree with them,
# is not offered.  The build systems add it only where this file exists.
file(REMOVE ${PROJECT_BINARY_DIR}/CPackSourceConfig.cmake)
