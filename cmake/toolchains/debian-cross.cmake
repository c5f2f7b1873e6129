# SPDX-License-Identifier: ISC
#
# GNU/Linux targets built with Debian's cross compilers (g++-<triplet>) and
# run here under qemu-user.  The preset names the target:
#
#   EPOCHNOW_CROSS_TRIPLET   the compiler's triplet, e.g. arm-linux-gnueabihf
#   EPOCHNOW_CROSS_EMULATOR  the qemu-user program that runs it, e.g. qemu-arm
#   EPOCHNOW_CROSS_FLAGS     compiler flags that choose a variant, e.g. -m32
#   EPOCHNOW_CROSS_LIBDIR    that variant's libraries in /usr/<triplet>, when
#                            they are not in lib (lib32 for -m32 and n32);
#                            Debian's g++-multilib-<triplet> installs them
if(NOT EPOCHNOW_CROSS_TRIPLET OR NOT EPOCHNOW_CROSS_EMULATOR)
	message(FATAL_ERROR "debian-cross.cmake needs EPOCHNOW_CROSS_TRIPLET and EPOCHNOW_CROSS_EMULATOR")
endif()
# What the target needs of Debian's packages, named where it is missing.
find_program(EPOCHNOW_CROSS_CXX ${EPOCHNOW_CROSS_TRIPLET}-g++)
find_program(EPOCHNOW_CROSS_QEMU ${EPOCHNOW_CROSS_EMULATOR})
set(missing)
if(NOT EPOCHNOW_CROSS_CXX)
	list(APPEND missing g++-${EPOCHNOW_CROSS_TRIPLET})
endif()
if(EPOCHNOW_CROSS_LIBDIR AND NOT EXISTS /usr/${EPOCHNOW_CROSS_TRIPLET}/${EPOCHNOW_CROSS_LIBDIR})
	list(APPEND missing g++-multilib-${EPOCHNOW_CROSS_TRIPLET})
endif()
if(NOT EPOCHNOW_CROSS_QEMU)
	list(APPEND missing qemu-user)
endif()
if(missing)
	list(JOIN missing " " missing)
	message(FATAL_ERROR "${EPOCHNOW_CROSS_TRIPLET} needs: apt-get install ${missing}")
endif()
# try_compile reads this file again, in a project of its own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES
	EPOCHNOW_CROSS_TRIPLET EPOCHNOW_CROSS_EMULATOR EPOCHNOW_CROSS_FLAGS EPOCHNOW_CROSS_LIBDIR)

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${EPOCHNOW_CROSS_TRIPLET}")
set(CMAKE_CXX_COMPILER ${EPOCHNOW_CROSS_TRIPLET}-g++)
set(CMAKE_CXX_FLAGS_INIT "${EPOCHNOW_CROSS_FLAGS}")

set(sysroot /usr/${EPOCHNOW_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH ${sysroot})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# qemu looks for the program's loader and libraries under its -L root, at the
# paths the program names.  A variant's loader may be asked for in lib (SPARC
# -m32: /lib/ld-linux.so.2) or in its own folder (MIPS n32: /lib32/ld.so.1),
# so make a root where both are the variant's libraries.
set(emulator_root ${sysroot})
if(EPOCHNOW_CROSS_LIBDIR AND NOT EPOCHNOW_CROSS_LIBDIR STREQUAL "lib")
	set(emulator_root ${CMAKE_BINARY_DIR}/target-root)
	file(MAKE_DIRECTORY ${emulator_root})
	foreach(dir lib ${EPOCHNOW_CROSS_LIBDIR})
		if(NOT EXISTS ${emulator_root}/${dir})
			file(CREATE_LINK ${sysroot}/${EPOCHNOW_CROSS_LIBDIR} ${emulator_root}/${dir} SYMBOLIC)
		endif()
	endforeach()
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${EPOCHNOW_CROSS_EMULATOR} -L ${emulator_root})
