# SPDX-License-Identifier: MIT
# The photo-format readers and the colour conversion. Their seeds are made by
# make_fuzz_seeds with the formats' own encoders (60-fuzz.sh runs it first).
foreach(target png webp heif jpeg_colour icc source_header)
  kavlo_add_fuzzer(fuzz_${target} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_${target}.cpp LIBS kavlo_imaging)
endforeach()
pkg_check_modules(WEBPMUX REQUIRED IMPORTED_TARGET libwebpmux)
add_executable(make_fuzz_seeds ${CMAKE_CURRENT_SOURCE_DIR}/make_fuzz_seeds.cpp)
target_include_directories(make_fuzz_seeds PRIVATE ${CMAKE_SOURCE_DIR}/tests/imaging
                           ${CMAKE_SOURCE_DIR}/tests/metadata ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(make_fuzz_seeds PRIVATE PNG::PNG PkgConfig::LCMS2 PkgConfig::WEBP PkgConfig::WEBPMUX
                      PkgConfig::HEIF JPEG::JPEG ZLIB::ZLIB)
add_dependencies(kavlo_fuzzers make_fuzz_seeds)
