# SPDX-License-Identifier: ISC
#
# The documents a package carries, made from the project's own:
#
#   epochnow_unix.1.gz  the manual page, compressed as dpkg wants (gzip -9n:
#                       no name, no time stamp)
#   copyright           Debian's machine-readable copyright file, from LICENSE
#   changelog.gz        a Debian changelog, from NEWS.md, compressed the same way
#   rpm-changelog       the same entries in the form of rpmbuild's %changelog
#
# cmake -DSOURCE_DIR=... -DOUTPUT_DIR=... -DMAINTAINER="Name <address>" -P package-docs.cmake
#
# NEWS.md has an entry a release: a heading "## VERSION, YYYY-MM-DD", then
# items that begin with "- " and go on in lines indented by two spaces.

file(READ "${SOURCE_DIR}/LICENSE" licence)
string(REGEX MATCH "^Copyright \\(c\\) ([^\n]*)" holder "${licence}")
set(holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^Copyright[^\n]*\n\n" "" grant "${licence}")
string(STRIP "${grant}" grant)
# In a field, each line is indented by one space and an empty line is " .".
string(REPLACE "\n\n" "\n.\n" grant "${grant}")
string(REPLACE "\n" "\n " grant "${grant}")
file(WRITE "${OUTPUT_DIR}/copyright"
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: epochnow

Files: *
Copyright: ${holder}
License: ISC
 ${grant}
")

set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(days Sun Mon Tue Wed Thu Fri Sat)
set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)

set(debian "")
set(rpm "")
file(STRINGS "${SOURCE_DIR}/NEWS.md" lines)
# The releases' dates, newest first: a Debian changelog's dates must rise
# from each release to the next, so a release made on the day of an earlier
# one is dated an hour later for each of them.
set(dates "")
foreach(line IN LISTS lines)
	if(line MATCHES "^## [^,]+, ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
		list(APPEND dates "${CMAKE_MATCH_1}")
	endif()
endforeach()
set(release 0)
foreach(line IN LISTS lines)
	string(REPLACE "`" "" line "${line}")
	if(line MATCHES "^## ([^,]+), ([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
		set(version "${CMAKE_MATCH_1}")
		set(year "${CMAKE_MATCH_2}")
		set(mm "${CMAKE_MATCH_3}")
		set(dd "${CMAKE_MATCH_4}")
		math(EXPR month "${mm}")
		math(EXPR day "${dd}")
		# The day of the week (Sakamoto's method).
		math(EXPR index "${month} - 1")
		list(GET month_offsets ${index} offset)
		list(GET months ${index} month_name)
		set(y ${year})
		if(month LESS 3)
			math(EXPR y "${y} - 1")
		endif()
		math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
		list(GET days ${weekday} day_name)
		if(debian)
			string(APPEND debian "\n -- ${MAINTAINER}  ${trailer}\n\n")
		endif()
		math(EXPR release "${release} + 1")
		set(same_day "")
		list(LENGTH dates releases)
		if(release LESS releases)
			list(SUBLIST dates ${release} -1 same_day)
			list(FILTER same_day INCLUDE REGEX "^${year}-${mm}-${dd}$")
		endif()
		list(LENGTH same_day hour)
		if(hour LESS 10)
			set(hour "0${hour}")
		endif()
		set(trailer "${day_name}, ${dd} ${month_name} ${year} ${hour}:00:00 +0000")
		string(APPEND debian "epochnow (${version}) unstable; urgency=medium\n\n")
		if(rpm)
			string(APPEND rpm "\n")
		endif()
		string(APPEND rpm "* ${day_name} ${month_name} ${dd} ${year} ${MAINTAINER} - ${version}-1\n")
	elseif(DEFINED version AND line MATCHES "^- (.*)")
		string(APPEND debian "  * ${CMAKE_MATCH_1}\n")
		string(APPEND rpm "- ${CMAKE_MATCH_1}\n")
	elseif(DEFINED version AND line MATCHES "^  (.*)")
		string(APPEND debian "    ${CMAKE_MATCH_1}\n")
		string(APPEND rpm "  ${CMAKE_MATCH_1}\n")
	endif()
endforeach()
if(NOT debian)
	message(FATAL_ERROR "package-docs.cmake: NEWS.md has no entry of the form \"## VERSION, YYYY-MM-DD\"")
endif()
string(APPEND debian "\n -- ${MAINTAINER}  ${trailer}\n")
file(WRITE "${OUTPUT_DIR}/changelog" "${debian}")
file(WRITE "${OUTPUT_DIR}/rpm-changelog" "${rpm}")
# gzip_n(INPUT OUTPUT): compress as dpkg wants it.
function(gzip_n input output)
	execute_process(COMMAND gzip -9n -c "${input}" OUTPUT_FILE "${output}" RESULT_VARIABLE failed)
	if(failed)
		message(FATAL_ERROR "package-docs.cmake: gzip ${input}: ${failed}")
	endif()
endfunction()
gzip_n("${OUTPUT_DIR}/changelog" "${OUTPUT_DIR}/changelog.gz")
gzip_n("${SOURCE_DIR}/man/epochnow_unix.1" "${OUTPUT_DIR}/epochnow_unix.1.gz")
