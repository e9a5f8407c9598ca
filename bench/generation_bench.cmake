# SPDX-License-Identifier: MIT
kavlo_add_bench(generation_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/generation_bench.cpp
                LIBS kavlo_core JPEG::JPEG)
