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
