# SPDX-License-Identifier: MIT
kavlo_add_bench(storage_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/storage_bench.cpp LIBS kavlo_storage)
