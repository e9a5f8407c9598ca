# SPDX-License-Identifier: MIT
kavlo_add_fuzzer(fuzz_resource_values SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_resource_values.cpp LIBS kavlo_storage)
kavlo_add_fuzzer(fuzz_album_info SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_album_info.cpp LIBS kavlo_storage)
