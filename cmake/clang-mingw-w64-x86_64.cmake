# Cross-compiles for 64-bit Windows with clang and lld, against the mingw-w64 headers
# and libraries and the posix thread variant of GCC's C++ library, all from the
# mingw-w64 packages already installed; windres stays the resource compiler.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(MINGW_ROOT /usr/${MINGW_TRIPLE})
set(MINGW_GCC_LIB /usr/lib/gcc/${MINGW_TRIPLE}/12-posix)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_SYSROOT ${MINGW_ROOT})

# clang does not find GCC's C++ library of the cross compiler by itself.
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
    ${MINGW_GCC_LIB}/include/c++ ${MINGW_GCC_LIB}/include/c++/${MINGW_TRIPLE})
# The emulated thread-local storage of libgcc and the C++ library's threads need the
# pthread library, which the GCC driver adds by itself and clang's does not; lld
# finds it wherever it stands on the line.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${MINGW_GCC_LIB} -lpthread")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${MINGW_GCC_LIB} -lpthread")

set(CMAKE_FIND_ROOT_PATH ${MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
