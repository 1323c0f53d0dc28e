# The posix thread model of mingw-w64, so that std::thread and GoogleTest work.
set(CMAKE_C_COMPILER ${TARVELL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVELL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVELL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVELL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests and helpers built here run under Wine; the emulated 32-bit Wine names its own loader.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
