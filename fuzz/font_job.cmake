setrion_fuzz(fuzz_font_job SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_font_job.cpp
  DEPS setrion_fonts)
