# SPDX-License-Identifier: ISC
#
# The C library the program is built against and how it is linked: where
# clock_gettime lives (the C library, or librt on older systems), the
# system's C library or musl, dynamic or static.  Reads from outside:
# EPOCHNOW_MUSL, EPOCHNOW_STATIC and EPOCHNOW_NO_CLOCK_REALTIME, and whether
# musl-tools is installed.
# Defines epochnow_use_libc(), which the tests' helpers use too.
include(CheckLinkerFlag)

# clock_gettime is in the C library, or in librt on older systems (glibc
# before 2.17, Solaris 10 and before).
include(CheckCXXSymbolExists)
check_cxx_symbol_exists(clock_gettime time.h EPOCHNOW_CLOCK_GETTIME_IN_LIBC)
if(NOT EPOCHNOW_CLOCK_GETTIME_IN_LIBC)
	include(CheckLibraryExists)
	check_library_exists(rt clock_gettime "" EPOCHNOW_CLOCK_GETTIME_IN_LIBRT)
	if(EPOCHNOW_CLOCK_GETTIME_IN_LIBRT)
		target_link_libraries(epochnow_unix PRIVATE rt)
	endif()
endif()

# Where <time.h> has no CLOCK_REALTIME the program reads the clock with
# time(); this builds that path on a system that has it.
if(EPOCHNOW_NO_CLOCK_REALTIME)
	target_compile_options(epochnow_unix PRIVATE -include ${CMAKE_CURRENT_LIST_DIR}/no-clock-realtime.h)
endif()

# Nothing of the C++ runtime is used: do not make the loader map it (musl
# could not load glibc's libstdc++ at all).
check_linker_flag(CXX "-Wl,--as-needed" EPOCHNOW_LINKER_AS_NEEDED)

# The C library: the system's, or musl through the specs file that makes GCC
# compile against musl's headers and link against its libc.
set(EPOCHNOW_USE_MUSL OFF)
if(EPOCHNOW_MUSL STREQUAL "ON" OR (EPOCHNOW_MUSL STREQUAL "AUTO" AND EPOCHNOW_STATIC))
	find_file(EPOCHNOW_MUSL_SPECS musl-gcc.specs
		PATHS /usr/lib/${CMAKE_SYSTEM_PROCESSOR}-linux-musl /usr/lib/musl/lib /usr/local/musl/lib
		NO_DEFAULT_PATH)
	if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND EPOCHNOW_MUSL_SPECS)
		set(EPOCHNOW_USE_MUSL ON)
		message(STATUS "epochnow_unix: building against musl (${EPOCHNOW_MUSL_SPECS})")
	elseif(EPOCHNOW_MUSL STREQUAL "ON")
		message(FATAL_ERROR "epochnow_unix: EPOCHNOW_MUSL is ON, but musl-gcc.specs is not installed "
			"(apt-get install musl-tools) or the compiler is not GCC")
	else()
		message(STATUS "epochnow_unix: musl is not installed (or the compiler is not GCC); "
			"linking statically against the system's C library instead")
	endif()
endif()

# epochnow_use_libc(TARGET): build TARGET against the program's C library,
# and link it as the program is linked.  The tests' helpers use it too, so
# that they run where the program runs and report what its C library says.
function(epochnow_use_libc target)
	if(EPOCHNOW_USE_MUSL)
		target_compile_options(${target} PRIVATE -specs=${EPOCHNOW_MUSL_SPECS})
		target_link_options(${target} PRIVATE -specs=${EPOCHNOW_MUSL_SPECS})
	endif()
	get_target_property(type ${target} TYPE)
	if(EPOCHNOW_STATIC AND type STREQUAL "EXECUTABLE")
		target_link_options(${target} PRIVATE -static)
	endif()
	if(EPOCHNOW_LINKER_AS_NEEDED)
		target_link_options(${target} PRIVATE "-Wl,--as-needed")
	endif()
endfunction()
epochnow_use_libc(epochnow_unix)

if(EPOCHNOW_STATIC)
	# Code and read-only data in one segment: two fewer mappings to set up
	# at every start, the price of this build's purpose.
	check_linker_flag(CXX "LINKER:-z,noseparate-code" EPOCHNOW_LINKER_NOSEPARATE_CODE)
	if(EPOCHNOW_LINKER_NOSEPARATE_CODE)
		target_link_options(epochnow_unix PRIVATE "LINKER:-z,noseparate-code")
	endif()
endif()
