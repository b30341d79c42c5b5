setrion_fuzz(fuzz_font_header SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_font_header.cpp
  DEPS setrion_fonts)
