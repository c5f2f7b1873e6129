# SPDX-License-Identifier: ISC
#
# What is installed, as every system expects it: the program, its manual
# page uncompressed (each system's packaging compresses where it wants to)
# and, in the documentation folder, the licence and the release notes.
#
# Debian's forms of the documents, which the .deb alone carries, are the
# component "debian", which nothing installs unless it is named (cpack's
# .deb does, cmake/package-date.cmake): the manual page and the changelog
# compressed with gzip -9n (no name, no time stamp), Debian's
# machine-readable copyright, and the executable stripped as dh_strip
# strips it.  Reads from outside: the install prefix and DESTDIR, and
# SOURCE_DATE_EPOCH to date the installed files.
include(GNUInstallDirs)

set(docs ${PROJECT_BINARY_DIR}/package-docs)
add_custom_command(
	OUTPUT ${docs}/epochnow_unix.1.gz ${docs}/copyright ${docs}/changelog.gz ${docs}/rpm-changelog
	COMMAND ${CMAKE_COMMAND} -E make_directory ${docs}
	COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT_DIR=${docs}
		-DMAINTAINER=${EPOCHNOW_MAINTAINER} -P ${PROJECT_SOURCE_DIR}/cmake/package-docs.cmake
	DEPENDS LICENSE NEWS.md man/epochnow_unix.1 cmake/package-docs.cmake
	COMMENT "Making the packages' documents: Debian's compressed manual page, copyright and changelog, and the .rpm's changelog"
	VERBATIM)
add_custom_target(package-docs ALL
	DEPENDS ${docs}/epochnow_unix.1.gz ${docs}/copyright ${docs}/changelog.gz ${docs}/rpm-changelog)

install(TARGETS epochnow_unix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/epochnow_unix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT docs)
install(FILES LICENSE NEWS.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT docs)

install(FILES ${docs}/epochnow_unix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
	COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${docs}/copyright ${docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
	COMPONENT debian EXCLUDE_FROM_ALL)
install(CODE "
	if(CMAKE_INSTALL_DO_STRIP)
		execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
			\"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/epochnow_unix\"
			RESULT_VARIABLE failed)
		if(failed)
			message(FATAL_ERROR \"cannot strip epochnow_unix: \${failed}\")
		endif()
	endif()" COMPONENT debian EXCLUDE_FROM_ALL)

# Where SOURCE_DATE_EPOCH is set (cpack sets it), the files just installed
# carry that date, not the time they were built: rpmbuild lowers later dates
# to it but keeps earlier ones, so a file built before the last commit would
# make the .rpm differ from another build's.  POSIX touch takes the date in
# local time: in UTC here.
set(date_installed [[
	if(DEFINED ENV{SOURCE_DATE_EPOCH} AND CMAKE_INSTALL_MANIFEST_FILES)
		string(TIMESTAMP date "%Y%m%d%H%M.%S" UTC)
		list(TRANSFORM CMAKE_INSTALL_MANIFEST_FILES PREPEND "$ENV{DESTDIR}" OUTPUT_VARIABLE installed)
		execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 touch -t ${date} ${installed}
			RESULT_VARIABLE failed)
		if(failed)
			message(FATAL_ERROR "cannot date the installed files SOURCE_DATE_EPOCH (touch -t ${date}): ${failed}")
		endif()
	endif()]])
install(CODE "${date_installed}")
install(CODE "${date_installed}" COMPONENT docs)
install(CODE "${date_installed}" COMPONENT debian EXCLUDE_FROM_ALL)
