# SPDX-License-Identifier: MIT
kavlo_add_bench(sources_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sources_bench.cpp
                LIBS kavlo_imaging JPEG::JPEG PkgConfig::LCMS2 PkgConfig::HEIF)
