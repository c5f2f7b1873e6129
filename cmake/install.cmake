# SPDX-License-Identifier: ISC
#
# Installed as distributions ship them: the executable stripped as dh_strip
# strips it, the manual page and changelog compressed with gzip -9n (no name,
# no time stamp), and the licence as Debian's machine-readable copyright.
# Reads from outside: the install prefix and DESTDIR, and SOURCE_DATE_EPOCH
# to date the installed files.
include(GNUInstallDirs)

set(docs ${PROJECT_BINARY_DIR}/package-docs)
add_custom_command(
	OUTPUT ${docs}/epochnow_unix.1.gz ${docs}/copyright ${docs}/changelog.gz ${docs}/rpm-changelog
	COMMAND ${CMAKE_COMMAND} -E make_directory ${docs}
	COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT_DIR=${docs}
		-DMAINTAINER=${EPOCHNOW_MAINTAINER} -P ${PROJECT_SOURCE_DIR}/cmake/package-docs.cmake
	DEPENDS LICENSE NEWS.md man/epochnow_unix.1 cmake/package-docs.cmake
	COMMENT "Making the compressed manual page, the copyright file and the changelogs"
	VERBATIM)
add_custom_target(package-docs ALL
	DEPENDS ${docs}/epochnow_unix.1.gz ${docs}/copyright ${docs}/changelog.gz)

install(TARGETS epochnow_unix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(CODE "
	if(CMAKE_INSTALL_DO_STRIP)
		execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
			\"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/epochnow_unix\"
			RESULT_VARIABLE failed)
		if(failed)
			message(FATAL_ERROR \"cannot strip epochnow_unix: \${failed}\")
		endif()
	endif()")
install(FILES ${docs}/epochnow_unix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${docs}/copyright ${docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Where SOURCE_DATE_EPOCH is set (cpack sets it), the installed files carry
# that date, not the time they were built: rpmbuild lowers later dates to it
# but keeps earlier ones, so a file built before the last commit would make
# the .rpm differ from another build's.
install(CODE [[
	if(DEFINED ENV{SOURCE_DATE_EPOCH})
		list(TRANSFORM CMAKE_INSTALL_MANIFEST_FILES PREPEND "$ENV{DESTDIR}" OUTPUT_VARIABLE installed)
		execute_process(COMMAND touch -d "@$ENV{SOURCE_DATE_EPOCH}" ${installed} ERROR_QUIET)
	endif()]])
