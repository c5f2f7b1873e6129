# SPDX-License-Identifier: ISC
#
# Hardening as distributions build programs, where EPOCHNOW_HARDEN is on:
# PIE, full RELRO, no executable stack, the strong stack protector, stack
# clash protection, CET on x86, signed returns and branch targets on 64-bit
# ARM, and fortified calls where the build optimises.  A distribution's own
# flags win: nothing is added of a kind that the given flags (CMAKE_CXX_FLAGS,
# CMAKE_EXE_LINKER_FLAGS and those of the build type) name, in any form.  An
# option is added only where the compiler, or the linker, takes it for the
# target without a word, and the stack protector only where it then guards a
# buffer.
#
# What was decided, for the tests and a look in the cache: EPOCHNOW_HARDENING,
# the options added; EPOCHNOW_HARDENING_UNSUPPORTED, those the target refused.

# The given flags as the words they hand on: -Wp,-D_FORTIFY_SOURCE=3,
# -Wl,-z,relro, -Wl,-zrelro and -Xlinker -z -Xlinker relro are read as
# -D_FORTIFY_SOURCE=3 and -zrelro.  CMakeLists.txt reads GIVEN too.
string(TOUPPER "${CMAKE_BUILD_TYPE}" type)
set(compile " ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${type}} ")
set(given "${compile} ${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${type}} ")
string(REGEX REPLACE "[ \t,]+(-W[pl],|-Xlinker[ \t]+)?" " " given "${given}")
string(REPLACE " -z " " -z" given "${given}")
set(added)
set(unsupported)

# harden(KIND FLAG [SYMBOL]): add the compile option FLAG unless a given word
# matches KIND, where the compiler takes it without a word and, with SYMBOL,
# a function with a buffer then calls SYMBOL.
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
		if(NOT ok)
			message(STATUS "Hardening without ${flag}, which this target does not support (${said})")
		endif()
		set(${taken} ${ok} CACHE INTERNAL "Whether the compiler takes ${flag}")
	endif()
	decided(COMPILE ${flag} ${flag} ${taken})
endfunction()

# harden_link(KIND FLAG): add the linker option FLAG (as -z,now) unless a
# given word matches KIND, where the linker takes it.
function(harden_link kind flag)
	if(NOT given MATCHES " ${kind} ")
		string(MAKE_C_IDENTIFIER "EPOCHNOW_LINKS${flag}" taken)
		check_linker_flag(CXX "LINKER:${flag}" ${taken})
		decided(LINK "LINKER:${flag}" -Wl,${flag} ${taken})
	endif()
endfunction()

# decided(COMPILE|LINK OPTION NAME TAKEN), in those functions: add OPTION
# where TAKEN, and record it by NAME as added, or else as unsupported.
macro(decided which option name taken)
	if(${taken})
		if("${which}" STREQUAL "LINK")
			target_link_options(epochnow_unix PRIVATE ${option})
		else()
			target_compile_options(epochnow_unix PRIVATE ${option})
		endif()
		set(added ${added} ${name} PARENT_SCOPE)
	else()
		set(unsupported ${unsupported} ${name} PARENT_SCOPE)
	endif()
endmacro()

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
		list(APPEND added -D_FORTIFY_SOURCE=${level})
	endif()
	include(CheckLinkerFlag)
	harden_link("-z(no)?relro" -z,relro)
	harden_link("-z(now|lazy)" -z,now)
	harden_link("-z(no)?execstack" -z,noexecstack)
	if(NOT EPOCHNOW_STATIC AND NOT given MATCHES " -f(no-)?(pie|PIE) | -(no-|static-)?pie ")
		include(CheckPIESupported)
		check_pie_supported(OUTPUT_VARIABLE said LANGUAGES CXX)
		set_target_properties(epochnow_unix PROPERTIES POSITION_INDEPENDENT_CODE ON)
		if(CMAKE_CXX_LINK_PIE_SUPPORTED)
			list(APPEND added -fPIE -pie)
		else()
			list(APPEND added -fPIE)
			list(APPEND unsupported -pie)
		endif()
	endif()
	list(JOIN added " " said)
	message(STATUS "Hardening with: ${said}")
endif()
set(EPOCHNOW_HARDENING "${added}" CACHE INTERNAL "The protections the build added")
set(EPOCHNOW_HARDENING_UNSUPPORTED "${unsupported}" CACHE INTERNAL "The protections the target does not support")

