setrion_fuzz(fuzz_parse_items SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_parse_items.cpp DEPS setrion_wifi_net)
