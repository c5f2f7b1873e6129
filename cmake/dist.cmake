# SPDX-License-Identifier: ISC
#
# The source tarball: the commit checked out, exactly its tracked files, under
# one top folder, as git archive writes them (owned by root, in git's sorted
# order, dated by the commit, cmake/source-date-epoch filled in), compressed
# with gzip -9n (no name, no time stamp); and its SHA-256 sum beside it, as
# sha256sum -c reads it.  The same bytes from any clone, folder and file
# system.
#
#   cmake -DSOURCE_DIR=... -DOUTPUT_DIR=... -DNAME=epochnow-VERSION -P dist.cmake

find_package(Git QUIET)
if(NOT GIT_FOUND OR NOT EXISTS "${SOURCE_DIR}/.git")
	message(FATAL_ERROR "dist: the tarball is made from a git checkout; ${SOURCE_DIR} is not one")
endif()
execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
	OUTPUT_VARIABLE changed)
if(changed)
	message(WARNING "dist: the tarball holds the last commit, not the changes made since:\n${changed}")
endif()

set(tarball "${OUTPUT_DIR}/${NAME}.tar.gz")
# tar.umask is set, not taken from the user's git configuration: the modes
# are 644 and 755 from any clone.
execute_process(
	COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" -c tar.umask=0022 archive --format=tar --prefix=${NAME}/ HEAD
	COMMAND gzip -9n
	OUTPUT_FILE "${tarball}"
	RESULTS_VARIABLE results)
if(NOT results STREQUAL "0;0")
	file(REMOVE "${tarball}")
	message(FATAL_ERROR "dist: git archive | gzip failed: ${results}")
endif()
file(SHA256 "${tarball}" sum)
file(WRITE "${tarball}.sha256" "${sum}  ${NAME}.tar.gz\n")
message(STATUS "dist: ${tarball}\n   sha256: ${sum}")
