# SPDX-License-Identifier: ISC
#
# distcheck: the source tarball holds everything a build needs.  In a fresh
# WORK_DIR, it unpacks TARBALL into a tree made read-only (as root, also
# mounted read-only, in a mount namespace of its own), and out of that tree,
# with no git to ask:
#
#   - configures and builds it as CHECKOUT_BUILD is built, runs the whole suite;
#   - installs it with DESTDIR into a staging folder and checks what lands;
#   - makes the packages and compares them byte for byte with those that
#     cpack made in CHECKOUT_BUILD.
#
# WORK_DIR is removed when every step passes, and kept when one fails.
#
#   cmake -DTARBALL=... -DWORK_DIR=... -DCHECKOUT_BUILD=... -P distcheck.cmake
#
# CHECKOUT_BUILD/distcheck-settings.cmake says how the checkout's build was
# configured: GENERATOR, and CONFIGURE_ARGS, its compiler, flags and options.
include("${CHECKOUT_BUILD}/distcheck-settings.cmake")

# run(STEP COMMAND...): run COMMAND in the build folder (ctest before 3.20
# has no --test-dir); the check fails, naming STEP, if it does.
function(run step)
	message(STATUS "distcheck: ${step}")
	execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${build}" RESULT_VARIABLE failed)
	if(failed)
		message(FATAL_ERROR "distcheck: ${step} failed (${failed}); what it left is in ${WORK_DIR}")
	endif()
endfunction()

get_filename_component(name "${TARBALL}" NAME)
string(REGEX REPLACE "\\.tar\\.gz$" "" name "${name}")
set(source "${WORK_DIR}/${name}")
set(build "${WORK_DIR}/build")
set(staging "${WORK_DIR}/staging")

if(EXISTS "${WORK_DIR}")
	execute_process(COMMAND chmod -R u+w "${WORK_DIR}")
	file(REMOVE_RECURSE "${WORK_DIR}")
endif()
file(MAKE_DIRECTORY "${build}")
run("unpacking ${TARBALL}" tar -xzf "${TARBALL}" -C "${WORK_DIR}")
run("making ${source} read-only" chmod -R a-w "${source}")

# Root writes through file modes: there the tree is mounted read-only too.
set(in_tree "")
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(uid STREQUAL "0")
	set(in_tree unshare -m --propagation private
		sh -ec "mount --bind -o ro \"\$0\" \"\$0\" && exec \"\$@\"" "${source}")
endif()

# No git: a build from a tarball must not need one.
set(ENV{GIT_DIR} "${WORK_DIR}/no-git-here")

run("configuring" ${in_tree} "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -G "${GENERATOR}" ${CONFIGURE_ARGS})
run("building" ${in_tree} "${CMAKE_COMMAND}" --build "${build}")
run("the whole suite" ${in_tree} "${CMAKE_CTEST_COMMAND}" --output-on-failure --no-tests=error)

set(ENV{DESTDIR} "${staging}")
run("installing into ${staging}" ${in_tree} "${CMAKE_COMMAND}" --install "${build}" --prefix /usr/local)
unset(ENV{DESTDIR})
foreach(path bin/epochnow_unix share/man/man1/epochnow_unix.1 share/doc/epochnow/LICENSE
		share/doc/epochnow/NEWS.md)
	if(NOT EXISTS "${staging}/usr/local/${path}")
		message(FATAL_ERROR "distcheck: the install lacks /usr/local/${path}")
	endif()
endforeach()

run("making the packages" ${in_tree} "${CMAKE_CPACK_COMMAND}")
file(GLOB packages RELATIVE "${CHECKOUT_BUILD}"
	"${CHECKOUT_BUILD}/epochnow_*.deb" "${CHECKOUT_BUILD}/epochnow-*.rpm" "${CHECKOUT_BUILD}/epochnow-*-*.tar.gz")
if(NOT packages)
	message(FATAL_ERROR "distcheck: ${CHECKOUT_BUILD} has no packages to compare with")
endif()
foreach(package IN LISTS packages)
	execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${CHECKOUT_BUILD}/${package}" "${build}/${package}"
		RESULT_VARIABLE differ)
	if(differ)
		message(FATAL_ERROR "distcheck: ${package} from the tarball differs from the checkout's; "
			"both are kept: ${CHECKOUT_BUILD}/${package} and ${build}/${package}")
	endif()
	message(STATUS "distcheck: ${package}: the same bytes as the checkout's")
endforeach()

run("making the tree writable, to remove it" chmod -R u+w "${WORK_DIR}")
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "distcheck: ${name}.tar.gz passed")
