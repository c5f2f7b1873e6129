# SPDX-License-Identifier: ISC
#
# Hardening as distributions build programs, where EPOCHNOW_HARDEN is on:
# PIE, full RELRO, no executable stack, the strong stack protector, stack
# clash protection, CET on x86, signed returns and branch targets on 64-bit
# ARM, and fortified calls where the build optimises.  A distribution's own
# flags win: nothing is added of a kind that the given flags (CMAKE_CXX_FLAGS,
# CMAKE_EXE_LINKER_FLAGS and those of the build type) name, in any form.  A
# compiler option is added only where the compiler takes it for the target
# without a word, and the stack protector only where it then guards a buffer.
#
# EPOCHNOW_HARDENING, for the hardening tests: the given flags and then the
# compile options added, as words.

# The given flags as the words they hand on: -Wp,-D_FORTIFY_SOURCE=3,
# -Wl,-z,relro, -Wl,-zrelro and -Xlinker -z -Xlinker relro are read as
# -D_FORTIFY_SOURCE=3 and -zrelro.  CMakeLists.txt reads GIVEN too.
string(TOUPPER "${CMAKE_BUILD_TYPE}" type)
set(compile " ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${type}} ")
set(given "${compile} ${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${type}} ")
string(REGEX REPLACE "[ \t,]+(-W[pl],|-Xlinker[ \t]+)?" " " given "${given}")
string(REPLACE " -z " " -z" given "${given}")
string(REGEX MATCHALL "[^ ]+" EPOCHNOW_HARDENING "${given}")

# harden(KIND FLAG [SYMBOL]): add FLAG unless a given word matches KIND,
# where the compiler takes it without a word and, with SYMBOL, a function
# with a buffer then calls SYMBOL.
function(harden kind flag)
	string(MAKE_C_IDENTIFIER "EPOCHNOW_TAKES${flag}" taken)
	if(given MATCHES " ${kind} ")
		return()
	elseif(NOT DEFINED ${taken})
		set(dir ${CMAKE_BINARY_DIR}/CMakeFiles/harden)
		file(WRITE ${dir}/probe.cpp "void use(char *);\nvoid probe() { char buffer[64]; use(buffer); }\n")
		set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
		try_compile(ok ${dir}/build SOURCES ${dir}/probe.cpp COPY_FILE ${dir}/probe.a
			COMPILE_DEFINITIONS ${flag} -Werror -fno-lto OUTPUT_VARIABLE said)
		string(REGEX MATCH "(error|warning): ([^\n]*)" said "${said}")
		set(said "the compiler says: ${CMAKE_MATCH_2}")
		if(ok AND ARGN)
			file(STRINGS ${dir}/probe.a calls REGEX "${ARGN}")
			if(NOT calls)
				set(ok FALSE)
				set(said "it then calls no ${ARGN}")
			endif()
		endif()
		if(ok)
			message(STATUS "Hardening with ${flag}")
		else()
			message(STATUS "Hardening without ${flag}, which this target does not support (${said})")
		endif()
		set(${taken} ${ok} CACHE INTERNAL "Whether the compiler takes ${flag}")
	endif()
	if(${taken})
		target_compile_options(epochnow_unix PRIVATE ${flag})
		set(EPOCHNOW_HARDENING ${EPOCHNOW_HARDENING} ${flag} PARENT_SCOPE)
	endif()
endfunction()

if(EPOCHNOW_HARDEN AND CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$")
	harden("-f(no-)?stack-protector[^ ]*" -fstack-protector-strong __stack_chk_fail)
	harden("-f(no-)?stack-clash-protection" -fstack-clash-protection)
	harden("-f(no-)?cf-protection[^ ]*" -fcf-protection)
	harden("-mbranch-protection=[^ ]*" -mbranch-protection=standard)
	# Fortified calls need the optimiser; level 3 needs GCC 12 or Clang 9.
	string(REGEX MATCHALL " -O[^ ]*" optimise "${compile}")
	if(optimise MATCHES "-O[1-9sgz]?$|-Ofast$" AND NOT given MATCHES " -[DU] ?_FORTIFY_SOURCE")
		set(level 3)
		if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 9 OR (CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
				AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 12))
			set(level 2)
		endif()
		target_compile_options(epochnow_unix PRIVATE -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=${level})
		list(APPEND EPOCHNOW_HARDENING -D_FORTIFY_SOURCE=${level})
	endif()
	set(kinds "(no)?relro" "(now|lazy)" "(no)?execstack")
	foreach(flag relro now noexecstack)
		list(POP_FRONT kinds kind)
		if(NOT given MATCHES " -z${kind} ")
			target_link_options(epochnow_unix PRIVATE "LINKER:-z,${flag}")
		endif()
	endforeach()
	if(NOT EPOCHNOW_STATIC AND NOT given MATCHES " -f(no-)?(pie|PIE) | -(no-|static-)?pie ")
		include(CheckPIESupported)
		check_pie_supported()
		set_target_properties(epochnow_unix PROPERTIES POSITION_INDEPENDENT_CODE ON)
	endif()
endif()

