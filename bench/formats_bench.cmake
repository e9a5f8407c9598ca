# SPDX-License-Identifier: MIT
# Makes its photos with the encoders the imaging tests use (tests/imaging helpers).
kavlo_add_bench(formats_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/formats_bench.cpp
                LIBS kavlo_core JPEG::JPEG PNG::PNG PkgConfig::LCMS2 PkgConfig::HEIF PkgConfig::WEBP)
target_include_directories(formats_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/imaging)
pkg_check_modules(WEBPMUX_BENCH REQUIRED IMPORTED_TARGET libwebpmux)
target_link_libraries(formats_bench PRIVATE PkgConfig::WEBPMUX_BENCH)
