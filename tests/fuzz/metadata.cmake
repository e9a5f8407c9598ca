# SPDX-License-Identifier: MIT
foreach(target exif exif_block iptc iptc_containers location)
  kavlo_add_fuzzer(fuzz_${target} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_${target}.cpp LIBS kavlo_metadata)
endforeach()
