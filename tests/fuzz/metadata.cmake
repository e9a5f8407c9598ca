# SPDX-License-Identifier: MIT
kavlo_add_fuzzer(fuzz_exif SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_exif.cpp LIBS kavlo_metadata)
kavlo_add_fuzzer(fuzz_iptc SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_iptc.cpp LIBS kavlo_metadata)
