setrion_fuzz(fuzz_module_reply SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_module_reply.cpp
  DEPS setrion_wifi_module setrion_wifi_settings)
