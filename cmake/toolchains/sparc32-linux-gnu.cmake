# 32-bit SPARC V8+ GNU/Linux, big-endian: Debian's sparc64-linux-gnu cross
# compiler with -m32 (its 32-bit C library is in /usr/sparc64-linux-gnu/lib32),
# run here under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR sparc)
set(CMAKE_CXX_COMPILER sparc64-linux-gnu-g++)
set(CMAKE_CXX_FLAGS_INIT -m32)

set(CMAKE_FIND_ROOT_PATH /usr/sparc64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# qemu looks for the program's /lib/ld-linux.so.2 and libraries under its -L
# root, whose lib must therefore be the 32-bit one.
set(sparc32_root ${CMAKE_BINARY_DIR}/sparc32-root)
if(NOT EXISTS ${sparc32_root}/lib)
	file(MAKE_DIRECTORY ${sparc32_root})
	file(CREATE_LINK /usr/sparc64-linux-gnu/lib32 ${sparc32_root}/lib SYMBOLIC)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-sparc32plus -L ${sparc32_root})
