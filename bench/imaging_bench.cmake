# SPDX-License-Identifier: MIT
kavlo_add_bench(imaging_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/imaging_bench.cpp
                LIBS kavlo_imaging JPEG::JPEG)
