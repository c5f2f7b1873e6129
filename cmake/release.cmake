# SPDX-License-Identifier: ISC
#
# Releases, in script mode: the news test and the dist and distcheck targets
# of CMakeLists.txt run it, with SOURCE_DIR, VERSION, OUTPUT_DIR (the build
# folder), CXX and LOCALES (the compiler and the suites' locales) set.
#
#   -DSTEP=news       NEWS.md's latest release entry, "## VERSION, YYYY-MM-DD",
#                     names VERSION; an "## Unreleased" entry may come first
#   -DSTEP=dist       OUTPUT_DIR/epochnow-VERSION.tar.gz of the commit checked
#                     out (not of changes since), and its .sha256 as sha256sum -c reads it, made only
#                     where NEWS.md's first entry is VERSION's release.  git
#                     archive packs the commit's tree in git's order, owned by
#                     root, dated by the commit, with modes 644 and 755 whatever
#                     the user's umask, and gzip -n stores no name or time: the
#                     same bytes from any clone
#   -DSTEP=distcheck  that tarball unpacked into a read-only tree (as root,
#                     also mounted read-only) and, with no git to ask,
#                     configured, built, its whole suite run, and installed
#                     into a staging folder
set(name epochnow-${VERSION})
set(tarball "${OUTPUT_DIR}/${name}.tar.gz")
file(STRINGS "${SOURCE_DIR}/NEWS.md" entries REGEX "^## ")

if(STEP STREQUAL "news")
	list(FILTER entries INCLUDE REGEX "^## [^,]+, [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
	if(NOT entries MATCHES "^## ${VERSION}, ")
		message(FATAL_ERROR "NEWS.md's latest release entry is not ${VERSION}'s, as project() says: ${entries}")
	endif()

elseif(STEP STREQUAL "dist")
	if(NOT entries MATCHES "^## ${VERSION}, [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9](;|$)")
		string(REGEX MATCH "^[^;]*" first "${entries}")
		message(FATAL_ERROR "dist: NEWS.md's first entry is \"${first}\", not \"## ${VERSION}, YYYY-MM-DD\": "
			"a tarball is made only of a release, once NEWS.md dates it (CONTRIBUTING.md, Releasing)")
	endif()
	execute_process(COMMAND git -C "${SOURCE_DIR}" -c tar.umask=0022 archive --format=tar --prefix=${name}/ HEAD
		COMMAND gzip -9n OUTPUT_FILE "${tarball}" RESULTS_VARIABLE results)
	if(NOT results STREQUAL "0;0")
		file(REMOVE "${tarball}")
		message(FATAL_ERROR "dist: git archive | gzip failed: ${results}")
	endif()
	file(SHA256 "${tarball}" sum)
	file(WRITE "${tarball}.sha256" "${sum}  ${name}.tar.gz\n")
	message(STATUS "dist: ${tarball}\n   sha256: ${sum}")

elseif(STEP STREQUAL "distcheck")
	set(work "${OUTPUT_DIR}/distcheck")
	# run(STEP COMMAND...): run COMMAND in the tarball's build folder, or fail naming STEP.
	function(run step)
		message(STATUS "distcheck: ${step}")
		execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${work}/build" RESULT_VARIABLE failed)
		if(failed)
			message(FATAL_ERROR "distcheck: ${step} failed (${failed}); what it left is in ${work}")
		endif()
	endfunction()
	execute_process(COMMAND chmod -R u+w "${work}" ERROR_QUIET)
	file(REMOVE_RECURSE "${work}")
	file(MAKE_DIRECTORY "${work}/build")
	run("unpacking ${tarball}" tar -xzf "${tarball}" -C "${work}")
	run("making ${work}/${name} read-only" chmod -R a-w "${work}/${name}")
	# Root writes through file modes: there the tree is mounted read-only too.
	execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
	if(uid STREQUAL "0")
		set(ro unshare -m --propagation private sh -ec "mount --bind -o ro \"\$0\" \"\$0\" && exec \"\$@\""
			"${work}/${name}")
	endif()
	set(ENV{GIT_DIR} "${work}/no-git-here")
	# The locales the suites make go where the build that calls this keeps
	# them, or, where it has no tests and so no such folder, into this build.
	if(LOCALES)
		set(locales "-DEPOCHNOW_TEST_LOCALES=${LOCALES}")
	endif()
	run("configuring" ${ro} "${CMAKE_COMMAND}" -S "${work}/${name}" -B . "-DCMAKE_CXX_COMPILER=${CXX}" ${locales})
	run("building" ${ro} "${CMAKE_COMMAND}" --build .)
	run("the whole suite" ${ro} "${CMAKE_CTEST_COMMAND}" --output-on-failure --no-tests=error)
	set(ENV{DESTDIR} "${work}/staging")
	run("installing into ${work}/staging" ${ro} "${CMAKE_COMMAND}" --install . --prefix /usr/local)
	file(GLOB_RECURSE installed RELATIVE "${work}/staging" "${work}/staging/*")
	list(SORT installed)
	if(NOT installed STREQUAL "usr/local/bin/epochnow_unix;usr/local/share/doc/epochnow/LICENSE;usr/local/share/doc/epochnow/NEWS.md;usr/local/share/man/man1/epochnow_unix.1")
		message(FATAL_ERROR "distcheck: the install put in place: ${installed}")
	endif()
	execute_process(COMMAND chmod -R u+w "${work}")
	file(REMOVE_RECURSE "${work}")
	message(STATUS "distcheck: ${name}.tar.gz built, passed its suite and installed")

else()
	message(FATAL_ERROR "release.cmake: STEP is news, dist or distcheck")
endif()
