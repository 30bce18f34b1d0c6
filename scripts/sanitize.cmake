# Initial cache for a build with AddressSanitizer and UndefinedBehaviorSanitizer
# (used by scripts/sanitize.sh). Line tables only (-g1) keep the tree smaller
# while reports still name files and lines.
set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "")
set(CMAKE_CXX_FLAGS "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O1 -g1 -DNDEBUG" CACHE STRING "")
set(CMAKE_EXE_LINKER_FLAGS "-fsanitize=address,undefined" CACHE STRING "")
set(CMAKE_SHARED_LINKER_FLAGS "-fsanitize=address,undefined" CACHE STRING "")
set(QUILLMERE_BUILD_BENCH OFF CACHE BOOL "")
