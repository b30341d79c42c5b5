#pragma once
// A command-mode module behind a ScriptedLink, for sequence tests: answers the mode frame
// with a banner, "r" with "701" and the item's record text, "w" by keeping the value,
// "c 0" with information bytes, unlock and store with "701".
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/scripted_link.h"
#include "wifi/module/parameters.h"

namespace setrion::wifi::test {

class FakeModule {
public:
    FakeModule();
    void attach(setrion::test::ScriptedLink& link);

    std::map<Parameter, std::vector<uint8_t>> values;
    std::vector<uint8_t> info;        // the "c 0" bytes (14)
    std::string banner = "Sollae ezTCP command mode\r\n";
    std::set<Parameter> rejectRead;   // answered "702" CR LF
    std::set<Parameter> silentRead;   // not answered
    std::set<Parameter> rejectWrite;
    std::set<Parameter> silentWrite;
    bool silentStore = false;
    std::string infoReply;  // replaces the "c 0" answer; "-" answers nothing
    std::vector<std::string> commands;  // payloads received, in order
    std::vector<Parameter> written;

    static std::string readReply(uint8_t type, uint8_t index, const std::vector<uint8_t>& value);

private:
    void onWrite(setrion::test::ScriptedLink& link, std::span<const uint8_t> data);
};

}  // namespace setrion::wifi::test
