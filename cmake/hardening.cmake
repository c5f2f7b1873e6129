# SPDX-License-Identifier: ISC
#
# Hardening as distributions ship programs, and no build paths in the
# executable.  Reads from outside: the builder's flags, CMAKE_CXX_FLAGS and
# CMAKE_EXE_LINKER_FLAGS (a distribution's, for instance from
# dpkg-buildflags), to which it adds only what they leave out; and
# EPOCHNOW_HARDEN.

# What the builder gave: a distribution's flags come in CMAKE_CXX_FLAGS and
# CMAKE_EXE_LINKER_FLAGS, and the project adds only what they leave out.
# They come in several forms: -D_FORTIFY_SOURCE=3, -Wp,-D_FORTIFY_SOURCE=3
# and -Wp,-U_FORTIFY_SOURCE,-D_FORTIFY_SOURCE=3; -Wl,-z,relro, -Wl,-zrelro,
# -Wl,-z -Wl,relro, -Xlinker -z -Xlinker relro and -Wl,-O1,-z,relro,-z,now.
# Each is read as the words it hands on, one a space: -D_FORTIFY_SOURCE=3,
# and -z relro.
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
set(given_compile_flags " ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}} ")
set(given_link_flags " ${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${build_type}} ${given_compile_flags} ")
string(REGEX REPLACE "[ \t]+" " " given_compile_flags "${given_compile_flags}")
string(REGEX REPLACE "[ \t]+" " " given_link_flags "${given_link_flags}")
string(REGEX REPLACE " -Wp," " " given_compile_flags "${given_compile_flags}")
string(REGEX REPLACE " -Wl,| -Xlinker " " " given_link_flags "${given_link_flags}")
string(REPLACE "," " " given_compile_flags "${given_compile_flags}")
string(REPLACE "," " " given_link_flags "${given_link_flags}")
string(REGEX REPLACE " -z ?" " -z " given_link_flags "${given_link_flags}")
# The last -O decides; without one, GCC and Clang do not optimise.
string(REGEX MATCHALL " -O[^ ]*" optimisations "${given_compile_flags}")
list(POP_BACK optimisations optimisation)
if(optimisation MATCHES "^ -O[1-9sgz]|^ -Ofast|^ -O$")
	set(EPOCHNOW_OPTIMISED ON)
else()
	set(EPOCHNOW_OPTIMISED OFF)
endif()

# add_unless_given(PATTERN FLAG...), add_link_unless_given(PATTERN FLAG...):
# add FLAGs to the program unless the given flags already match PATTERN.
macro(add_unless_given pattern)
	if(NOT given_compile_flags MATCHES "${pattern}")
		target_compile_options(epochnow_unix PRIVATE ${ARGN})
	endif()
endmacro()
macro(add_link_unless_given pattern)
	if(NOT given_link_flags MATCHES "${pattern}")
		target_link_options(epochnow_unix PRIVATE ${ARGN})
	endif()
endmacro()

# last_given(PATTERN RESULT): RESULT is the last of the given compile flags
# that begins with PATTERN, or empty.
function(last_given pattern result)
	string(REGEX MATCHALL "${pattern}[^ ]*" named "${given_compile_flags}")
	if(named)
		list(GET named -1 named)
		string(STRIP "${named}" named)
	endif()
	set(${result} "${named}" PARENT_SCOPE)
endfunction()

# compiler_takes(FLAG RESULT [SYMBOL | OPPOSITE]): RESULT is "yes" when the
# compiler takes FLAG for this target without a word, on a function with a
# buffer larger than a page on its stack, and the function then refers to
# SYMBOL where one is named, or differs from the function built with the
# OPPOSITE flag (an option that begins with "-") where that is named;
# otherwise it says why not.  A warning counts: GCC 12 only warns for
# -fstack-protector on PA-RISC and Alpha, and GCC 14 takes it on PA-RISC
# without a word; both then build an unguarded function.  GCC 12 takes
# -fstack-clash-protection on m68k and RISC-V without a word, and probes
# nothing.
function(compiler_takes flag result)
	# ARGN, not ARGV2: a function called without it would read its caller's.
	set(symbol "${ARGN}")
	string(MAKE_C_IDENTIFIER "EPOCHNOW_COMPILER_TAKES${flag}${symbol}" answer)
	if(NOT DEFINED ${answer})
		set(dir ${CMAKE_BINARY_DIR}/CMakeFiles/compiler-takes)
		file(WRITE ${dir}/guarded.cpp "void use(char *);\nvoid guarded() { char buffer[65536]; use(buffer); }\n")
		message(CHECK_START "Whether the compiler takes ${flag}")
		set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
		# Without link-time optimisation, which the given flags may ask for,
		# so that the archive holds the code itself.
		try_compile(taken ${dir}/build SOURCES ${dir}/guarded.cpp
			COMPILE_DEFINITIONS ${flag} -Werror -fno-lto OUTPUT_VARIABLE output COPY_FILE ${dir}/guarded.a)
		get_filename_component(compiler "${CMAKE_CXX_COMPILER}" NAME)
		if(taken)
			set(said yes)
			if(symbol MATCHES "^-")
				try_compile(opposite ${dir}/opposite SOURCES ${dir}/guarded.cpp
					COMPILE_DEFINITIONS ${symbol} -Werror -fno-lto COPY_FILE ${dir}/opposite.a)
				file(SHA256 ${dir}/guarded.a with)
				file(SHA256 ${dir}/opposite.a without)
				if(opposite AND with STREQUAL without)
					set(said "${compiler} takes ${flag} without a word, but builds the same code as with ${symbol}")
				endif()
			elseif(symbol)
				file(STRINGS ${dir}/guarded.a symbols REGEX "${symbol}")
				if(NOT symbols)
					set(said "${compiler} takes ${flag} without a word, but builds no call to ${symbol}")
				endif()
			endif()
		else()
			set(said "${compiler} fails on it")
			if(output MATCHES "(error|warning): ([^\n]*)")
				string(REGEX REPLACE " \\[-Werror[^]]*\\]$" "" said "${CMAKE_MATCH_2}")
				set(said "${compiler} says: ${said}")
			endif()
		endif()
		if(said STREQUAL "yes")
			message(CHECK_PASS "yes")
		else()
			message(CHECK_FAIL "no: ${said}")
		endif()
		set(${answer} "${said}" CACHE INTERNAL "Whether the compiler takes ${flag}")
	endif()
	set(${result} "${${answer}}" PARENT_SCOPE)
endfunction()

# protection(NAME PATTERN FLAG [SYMBOL | OPPOSITE]): a protection, added with FLAG
# where the compiler takes it (compiler_takes) and the given flags do not
# name it (match PATTERN).  What the build claims goes to the hardening tests
# as EPOCHNOW_<NAME>: the flag that gives it, or why it is not there.
function(protection name pattern flag)
	compiler_takes(${flag} taken ${ARGN})
	last_given("${pattern}" named)
	if(named)
		set(flag "${named}")
	endif()
	if(NOT taken STREQUAL "yes")
		set(claim "unavailable here: ${taken}")
	elseif(flag MATCHES "^-fno-|=none$")
		set(claim "turned off by the given flags: ${flag}")
	else()
		set(claim "${flag}")
		if(NOT named)
			target_compile_options(epochnow_unix PRIVATE ${flag})
		endif()
	endif()
	string(MAKE_C_IDENTIFIER "EPOCHNOW_${name}" variable)
	string(TOUPPER "${variable}" variable)
	set(EPOCHNOW_PROTECTIONS ${EPOCHNOW_PROTECTIONS} "${variable}=${claim}" PARENT_SCOPE)
endfunction()

set(EPOCHNOW_PROTECTIONS)
if(EPOCHNOW_HARDEN AND CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$")
	protection(stack-protector " -f(no-)?stack-protector" -fstack-protector-strong __stack_chk_fail)
	protection(stack-clash-protection " -f(no-)?stack-clash-protection" -fstack-clash-protection
		-fno-stack-clash-protection)
	# x86: Intel's indirect branch tracking and shadow stack.  64-bit ARM:
	# signed return addresses (ARMv8.3) and branch target identification
	# (ARMv8.5), both no-ops on older cores.
	protection(cf-protection " -f(no-)?cf-protection" -fcf-protection)
	protection(branch-protection " -mbranch-protection=" -mbranch-protection=standard)
	# Fortified calls need the optimiser.  Level 3 needs
	# __builtin_dynamic_object_size: GCC 12, Clang 9.
	if(EPOCHNOW_OPTIMISED)
		if((CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
				OR (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 9))
			set(fortify 3)
		else()
			set(fortify 2)
		endif()
		# The compiler may define its own level: replace that, not a given one.
		last_given(" -[DU] ?_FORTIFY_SOURCE" claim)
		if(claim)
			if(claim MATCHES "^-U|=0$")
				set(claim "turned off by the given flags: ${claim}")
			elseif(NOT claim MATCHES "=[2-9]$")
				set(claim "the given flags ask for a level that fortifies no printf: ${claim}")
			endif()
		else()
			set(claim -D_FORTIFY_SOURCE=${fortify})
			target_compile_options(epochnow_unix PRIVATE -U_FORTIFY_SOURCE ${claim})
		endif()
	else()
		set(claim "built without optimisation: there is nothing to fortify")
	endif()
	list(APPEND EPOCHNOW_PROTECTIONS "EPOCHNOW_FORTIFY_SOURCE=${claim}")
	# Any -z relro, -z norelro; -z now, -z lazy; -z noexecstack, -z execstack.
	add_link_unless_given(" -z (no)?relro " "LINKER:-z,relro")
	add_link_unless_given(" -z (now|lazy) " "LINKER:-z,now")
	add_link_unless_given(" -z (no)?execstack " "LINKER:-z,noexecstack")
	if(NOT EPOCHNOW_STATIC)
		include(CheckPIESupported)
		check_pie_supported()
		add_unless_given(" -f(no-)?(pie|PIE) " ${CMAKE_CXX_COMPILE_OPTIONS_PIE})
		if(CMAKE_CXX_LINK_PIE_SUPPORTED)
			add_link_unless_given(" -(no-|static-)?pie " ${CMAKE_CXX_LINK_OPTIONS_PIE})
		endif()
	endif()
endif()

# No build paths in the executable, so that builds in two folders match;
# a map the builder gave covers them already.  GCC before 8 and Clang
# before 10 have no -ffile-prefix-map.
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-ffile-prefix-map=/a=/b EPOCHNOW_FILE_PREFIX_MAP)
if(EPOCHNOW_FILE_PREFIX_MAP)
	add_unless_given(" -f(file|debug|macro)-prefix-map=" "-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=")
endif()
