# SPDX-License-Identifier: MIT
# Album editor: time to the first window and to the last thumbnail for a large album,
# against decoding every thumbnail up front on the window's thread.
if(TARGET kavlo_qt)
  kavlo_add_bench(editor_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/editor_bench.cpp LIBS kavlo_qt)
endif()
