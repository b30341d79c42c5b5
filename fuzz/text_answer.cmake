setrion_fuzz(fuzz_text_answer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_text_answer.cpp DEPS setrion_wifi_net)
