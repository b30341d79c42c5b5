setrion_fuzz(fuzz_wifi_ini SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_wifi_ini.cpp DEPS setrion_wifi_settings)
