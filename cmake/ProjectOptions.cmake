# Warnings and sanitizers for every target of the project, through one interface target.
add_library(quorvel_options INTERFACE)
add_library(Quorvel::options ALIAS quorvel_options)

target_compile_options(quorvel_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                 -Wno-sign-conversion)
if(QUORVEL_WARNINGS_AS_ERRORS)
  target_compile_options(quorvel_options INTERFACE -Werror)
endif()

if(QUORVEL_SANITIZE)
  list(JOIN QUORVEL_SANITIZE "," _quorvel_sanitizers)
  target_compile_options(quorvel_options INTERFACE -fsanitize=${_quorvel_sanitizers}
                                                   -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(quorvel_options INTERFACE -fsanitize=${_quorvel_sanitizers})
endif()

# Fuzz targets are instrumented for coverage on top of the sanitizers above.
if(QUORVEL_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUORVEL_BUILD_FUZZ needs clang (use the 'fuzz' preset)")
  endif()
  target_compile_options(quorvel_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
