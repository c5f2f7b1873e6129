# SPDX-License-Identifier: ISC
#
# NEWS.md's latest release, its first heading "## VERSION, YYYY-MM-DD", names
# the version that project() states: one version, said once in the build and
# once for users.  An "## Unreleased" entry may come before it.
#
#   cmake -DNEWS=.../NEWS.md -DVERSION=... -P news.cmake
file(STRINGS "${NEWS}" headings REGEX "^## [^,]+, [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
list(LENGTH headings count)
if(count EQUAL 0)
	message(FATAL_ERROR "NEWS.md has no release entry \"## VERSION, YYYY-MM-DD\"")
endif()
list(GET headings 0 latest)
string(REGEX REPLACE "^## ([^,]+),.*" "\\1" latest "${latest}")
if(NOT latest STREQUAL VERSION)
	message(FATAL_ERROR "NEWS.md's latest release is ${latest}, but project() says ${VERSION}")
endif()
message(STATUS "NEWS.md's latest release is ${VERSION}, as project() says")
