# SPDX-License-Identifier: MIT
# Not a timing benchmark: the measuring tool of bench/quality.sh.
kavlo_add_bench(image_quality SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/image_quality.cpp
                ${CMAKE_CURRENT_SOURCE_DIR}/image_metrics.cpp LIBS kavlo_imaging)
