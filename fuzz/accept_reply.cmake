setrion_fuzz(fuzz_accept_reply SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_accept_reply.cpp DEPS setrion_wifi_net)
