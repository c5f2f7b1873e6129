# SPDX-License-Identifier: ISC
#
# Hardening as distributions ship programs, and no build paths in the
# executable.  Reads from outside: the builder's flags, CMAKE_CXX_FLAGS and
# CMAKE_EXE_LINKER_FLAGS (a distribution's, for instance from
# dpkg-buildflags), to which it adds only what they leave out; and
# EPOCHNOW_HARDEN.
include(CheckCXXCompilerFlag)

# What the builder gave: a distribution's flags come in CMAKE_CXX_FLAGS and
# CMAKE_EXE_LINKER_FLAGS, and the project adds only what they leave out.
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
set(given_compile_flags " ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}} ")
set(given_link_flags " ${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${build_type}} ")
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

if(EPOCHNOW_HARDEN AND CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$")
	add_unless_given(" -f(no-)?stack-protector" -fstack-protector-strong)
	check_cxx_compiler_flag(-fstack-clash-protection EPOCHNOW_CXX_STACK_CLASH)
	if(EPOCHNOW_CXX_STACK_CLASH)
		add_unless_given(" -f(no-)?stack-clash-protection" -fstack-clash-protection)
	endif()
	if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86)$")
		check_cxx_compiler_flag(-fcf-protection EPOCHNOW_CXX_CF_PROTECTION)
		if(EPOCHNOW_CXX_CF_PROTECTION)
			add_unless_given(" -f(no-)?cf-protection" -fcf-protection)
		endif()
	endif()
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
		add_unless_given(" -[DU] *_FORTIFY_SOURCE" -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=${fortify})
	endif()
	# Keep the switches in the executable, where the tests can check them.
	if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
		target_compile_options(epochnow_unix PRIVATE -frecord-gcc-switches)
	endif()
	add_link_unless_given("[ ,]-?z[ ,]relro" "LINKER:-z,relro")
	add_link_unless_given("[ ,]-?z[ ,]now" "LINKER:-z,now")
	add_link_unless_given("[ ,]-?z[ ,]noexecstack" "LINKER:-z,noexecstack")
	if(NOT EPOCHNOW_STATIC)
		include(CheckPIESupported)
		check_pie_supported()
		set_target_properties(epochnow_unix PROPERTIES POSITION_INDEPENDENT_CODE ON)
	endif()
endif()

# No build paths in the executable, so that builds in two folders match;
# a map the builder gave covers them already.
if(CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang|AppleClang)$")
	add_unless_given(" -f(file|debug|macro)-prefix-map=" "-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=")
endif()
