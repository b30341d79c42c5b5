setrion_fuzz(fuzz_printer_profile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_printer_profile.cpp DEPS setrion_printer)
