# SPDX-License-Identifier: ISC
#
# The C library the program is built against, and how it is linked: the
# system's or musl (EPOCHNOW_MUSL), dynamically or statically
# (EPOCHNOW_STATIC), and librt where clock_gettime lives there.  Defines
# epochnow_use_libc(TARGET), which the test helpers use too, so that they
# run where the program runs and report what its C library says.

# clock_gettime is in librt with glibc before 2.17 and on Solaris 10.
include(CheckCXXSymbolExists)
check_cxx_symbol_exists(clock_gettime time.h EPOCHNOW_CLOCK_GETTIME_IN_LIBC)
if(NOT EPOCHNOW_CLOCK_GETTIME_IN_LIBC)
	include(CheckLibraryExists)
	check_library_exists(rt clock_gettime "" EPOCHNOW_CLOCK_GETTIME_IN_LIBRT)
	if(EPOCHNOW_CLOCK_GETTIME_IN_LIBRT)
		target_link_libraries(epochnow_unix PRIVATE rt)
	endif()
endif()

# Where <time.h> has no CLOCK_REALTIME the program reads time(); this builds
# that path on a system that has it.
if(EPOCHNOW_NO_CLOCK_REALTIME)
	target_compile_options(epochnow_unix PRIVATE -include ${CMAKE_CURRENT_LIST_DIR}/no-clock-realtime.h)
endif()

# musl, through the specs file that makes GCC compile against its headers
# and link against its libc.
set(EPOCHNOW_USE_MUSL OFF)
if(EPOCHNOW_MUSL STREQUAL "ON" OR (EPOCHNOW_MUSL STREQUAL "AUTO" AND EPOCHNOW_STATIC))
	find_file(EPOCHNOW_MUSL_SPECS musl-gcc.specs
		PATHS /usr/lib/${CMAKE_SYSTEM_PROCESSOR}-linux-musl /usr/lib/musl/lib /usr/local/musl/lib NO_DEFAULT_PATH)
	if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND EPOCHNOW_MUSL_SPECS)
		set(EPOCHNOW_USE_MUSL ON)
	elseif(EPOCHNOW_MUSL STREQUAL "ON")
		message(FATAL_ERROR "EPOCHNOW_MUSL is ON, but musl-gcc.specs is not installed "
			"(apt-get install musl-tools) or the compiler is not GCC")
	else()
		message(STATUS "musl is not installed (or the compiler is not GCC): linking against the system's C library")
	endif()
endif()

# Nothing of the C++ runtime is used: the loader need not map it (musl
# could not load glibc's libstdc++ at all).
include(CheckLinkerFlag)
check_linker_flag(CXX "LINKER:--as-needed" EPOCHNOW_LINKER_AS_NEEDED)

# epochnow_use_libc(TARGET): build TARGET against the program's C library,
# and link it as the program is linked.
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
		target_link_options(${target} PRIVATE "LINKER:--as-needed")
	endif()
endfunction()
epochnow_use_libc(epochnow_unix)

# A static program's code and read-only data in one segment: two fewer
# mappings to set up at every start.
if(EPOCHNOW_STATIC)
	check_linker_flag(CXX "LINKER:-z,noseparate-code" EPOCHNOW_LINKER_NOSEPARATE_CODE)
	if(EPOCHNOW_LINKER_NOSEPARATE_CODE)
		target_link_options(epochnow_unix PRIVATE "LINKER:-z,noseparate-code")
	endif()
endif()
