# SPDX-License-Identifier: MIT
kavlo_add_bench(metadata_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/metadata_bench.cpp
                LIBS kavlo_metadata kavlo_imaging JPEG::JPEG)
