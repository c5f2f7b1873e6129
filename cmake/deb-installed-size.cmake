# SPDX-License-Identifier: ISC
#
# Run by CPack once it has made the packages.  CPack's Installed-Size adds
# up the sizes that the staging file system gives its directories, so the
# same .deb came out with another size on tmpfs than on ext4.  Count as dpkg
# does instead: each file in KiB, rounded up, and 1 for each directory; then
# pack the .deb again with dpkg-deb, which honours SOURCE_DATE_EPOCH.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
	if(NOT package MATCHES "\\.deb$")
		continue()
	endif()
	set(tree "${package}.tree")
	file(REMOVE_RECURSE "${tree}")
	execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)

	set(kib 1)
	file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${tree}" "${tree}/*")
	foreach(entry IN LISTS entries)
		if(entry MATCHES "^DEBIAN(/|$)")
			continue()
		elseif(IS_DIRECTORY "${tree}/${entry}")
			math(EXPR kib "${kib} + 1")
		else()
			file(SIZE "${tree}/${entry}" bytes)
			math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
		endif()
	endforeach()

	file(READ "${tree}/DEBIAN/control" control)
	string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
	file(WRITE "${tree}/DEBIAN/control" "${control}")
	execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${package}"
		OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
	file(REMOVE_RECURSE "${tree}")
endforeach()
