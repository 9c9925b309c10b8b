# Included by the top-level CMakeLists.txt before the libraries when TABRIX_FUZZ is on:
# every library is built with libFuzzer's coverage instrumentation and checked by
# AddressSanitizer and UndefinedBehaviorSanitizer, as the fuzz targets themselves are.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "TABRIX_FUZZ needs clang (libFuzzer): CXX=clang++-14 cmake ... -DTABRIX_FUZZ=ON")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer -gline-tables-only
                    -fsanitize-coverage-ignorelist=${CMAKE_CURRENT_LIST_DIR}/coverage_ignore.txt)
add_link_options(-fsanitize=address,undefined)
