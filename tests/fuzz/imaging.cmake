# SPDX-License-Identifier: MIT
kavlo_add_fuzzer(fuzz_jpeg SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_jpeg.cpp LIBS kavlo_imaging)
kavlo_add_fuzzer(fuzz_jpeg_memory SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_jpeg_memory.cpp LIBS kavlo_imaging)
kavlo_add_fuzzer(fuzz_tiff SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_tiff.cpp LIBS kavlo_imaging)
