# SPDX-License-Identifier: ISC
#
# Releases: `dist` makes the source tarball of the commit checked out, with
# its checksum (cmake/dist.cmake, which needs git); `distcheck` makes sure
# that the tarball alone builds, passes the suite, installs and gives the
# same packages as this build (cmake/distcheck.cmake).
set(EPOCHNOW_DIST_NAME ${PROJECT_NAME}-${PROJECT_VERSION})
set(EPOCHNOW_DIST_TARBALL ${PROJECT_BINARY_DIR}/${EPOCHNOW_DIST_NAME}.tar.gz)
add_custom_target(dist
	COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT_DIR=${PROJECT_BINARY_DIR}
		-DNAME=${EPOCHNOW_DIST_NAME} -P ${PROJECT_SOURCE_DIR}/cmake/dist.cmake
	COMMENT "Making ${EPOCHNOW_DIST_NAME}.tar.gz and its checksum"
	VERBATIM)

# How this build was configured, for distcheck to configure the tarball's
# build the same way.
set(settings "set(GENERATOR [==[${CMAKE_GENERATOR}]==])\n")
foreach(variable CMAKE_BUILD_TYPE CMAKE_CXX_COMPILER CMAKE_CXX_FLAGS CMAKE_EXE_LINKER_FLAGS BUILD_TESTING
		EPOCHNOW_TIME64 EPOCHNOW_SANITIZE EPOCHNOW_WERROR EPOCHNOW_HARDEN EPOCHNOW_STATIC EPOCHNOW_MUSL
		EPOCHNOW_EXPECTED_TIME_T_BITS EPOCHNOW_EXPECTED_ELF)
	string(APPEND settings "list(APPEND CONFIGURE_ARGS [==[-D${variable}=${${variable}}]==])\n")
endforeach()
file(WRITE ${PROJECT_BINARY_DIR}/distcheck-settings.cmake "# Made by cmake/release.cmake.\n${settings}")

add_custom_target(distcheck
	COMMAND ${CMAKE_CPACK_COMMAND} --config CPackConfig.cmake
	COMMAND ${CMAKE_COMMAND} -DTARBALL=${EPOCHNOW_DIST_TARBALL} -DWORK_DIR=${PROJECT_BINARY_DIR}/distcheck
		-DCHECKOUT_BUILD=${PROJECT_BINARY_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/distcheck.cmake
	WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
	COMMENT "Building, testing, installing and packaging ${EPOCHNOW_DIST_NAME}.tar.gz alone"
	VERBATIM)
add_dependencies(distcheck dist)
