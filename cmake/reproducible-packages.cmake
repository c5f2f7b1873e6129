# SPDX-License-Identifier: ISC
#
# Run by CPack once it has made the packages, so that two builds of one
# commit give the same bytes whatever folder or file system they were made
# in.  CPack stores files in the order the file system lists them, and its
# .deb's Installed-Size adds up the sizes that the file system gives its
# directories (4096 each on ext4, far less on tmpfs).  So:
#
#   .deb     Installed-Size counted as dpkg counts it, each file in KiB
#            rounded up and 1 for each directory; packed again by dpkg-deb,
#            which sorts the files and honours SOURCE_DATE_EPOCH
#   .tar.gz  packed again by GNU tar, sorted by name, owned by root, dated
#            SOURCE_DATE_EPOCH, and compressed with gzip -n
foreach(package IN LISTS CPACK_PACKAGE_FILES)
	set(tree "${package}.tree")
	file(REMOVE_RECURSE "${tree}")

	if(package MATCHES "\\.deb$")
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

	elseif(package MATCHES "\\.tar\\.gz$")
		execute_process(COMMAND tar --version OUTPUT_VARIABLE tar_version ERROR_QUIET)
		if(NOT tar_version MATCHES "GNU tar" OR NOT DEFINED ENV{SOURCE_DATE_EPOCH})
			message(STATUS "${package}: left as CPack made it (needs GNU tar and SOURCE_DATE_EPOCH)")
			continue()
		endif()
		file(MAKE_DIRECTORY "${tree}")
		execute_process(COMMAND tar -xzf "${package}" -C "${tree}" COMMAND_ERROR_IS_FATAL ANY)
		file(GLOB top RELATIVE "${tree}" "${tree}/*")
		execute_process(
			COMMAND tar --sort=name --format=gnu --owner=0 --group=0 --numeric-owner
				--mtime=@$ENV{SOURCE_DATE_EPOCH} -C "${tree}" -cf - ${top}
			COMMAND gzip -9n
			OUTPUT_FILE "${package}" COMMAND_ERROR_IS_FATAL ANY)
	endif()
	file(REMOVE_RECURSE "${tree}")
endforeach()
