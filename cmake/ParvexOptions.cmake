# Compiler warnings and sanitizers for every Parvex target.
set(PARVEX_WARNINGS
    -Wall -Wextra -Wpedantic -Wshadow -Wswitch-enum -Wnon-virtual-dtor
    -Woverloaded-virtual -Wcast-qual -Wformat=2 -Wimplicit-fallthrough)
# GCC 12 reports bogus -Wrestrict/-Wstringop-overflow on inlined std::string code
# (GCC bugs 105329, 105651) at -O2; they say nothing about our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    list(APPEND PARVEX_WARNINGS -Wno-restrict -Wno-stringop-overflow)
endif()
if(PARVEX_WERROR)
    list(APPEND PARVEX_WARNINGS -Werror)
endif()

set(PARVEX_SANITIZE_FLAGS "")
if(PARVEX_SANITIZE)
    set(PARVEX_SANITIZE_FLAGS -fsanitize=${PARVEX_SANITIZE} -fno-omit-frame-pointer
        -fno-sanitize-recover=all)
    add_compile_options(${PARVEX_SANITIZE_FLAGS})
    add_link_options(${PARVEX_SANITIZE_FLAGS})
endif()

# Fuzz builds: every library carries libFuzzer's coverage hooks; the targets
# link the fuzzer's main (tests/fuzz).
if(PARVEX_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "PARVEX_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
