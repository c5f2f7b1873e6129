# SPDX-License-Identifier: ISC
#
# Read by cpack before it makes each package: what the .deb holds, and the
# packages' time stamps, so that two builds of one commit give the same bytes.
#
# The .deb takes the program and Debian's forms of its documents (the
# install component "debian", cmake/install.cmake) instead of the plain
# ones that the other packages and a plain install take.
if(CPACK_GENERATOR STREQUAL "DEB")
	list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build)
	set(CPACK_INSTALL_CMAKE_PROJECTS "${build};epochnow;Unspecified;/;${build};epochnow;debian;/")
endif()

# The time stamps are the environment's SOURCE_DATE_EPOCH, or else the date
# of the commit checked out, asked of git now rather than when the build was
# configured, so that a commit made since does not leave the packages with
# the one before's date.  A source tarball has no git history: git archive
# wrote the date into it.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
	set(date "")
	if(EXISTS "${CPACK_EPOCHNOW_SOURCE_DIR}/.git")
		if(CPACK_EPOCHNOW_GIT)
			execute_process(COMMAND "${CPACK_EPOCHNOW_GIT}" -C "${CPACK_EPOCHNOW_SOURCE_DIR}" log -1 --format=%ct
				OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
		endif()
	else()
		file(STRINGS "${CPACK_EPOCHNOW_SOURCE_DIR}/cmake/source-date-epoch" date REGEX "^[0-9]+$")
	endif()
	if(date)
		set(ENV{SOURCE_DATE_EPOCH} "${date}")
	endif()
endif()
