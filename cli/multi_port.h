#pragma once
// Several --port options: the same command on every port at once, each on its own link
// and thread, output lines prefixed by the port. "--port all" stands for every serial port
// that answers the emulation probe (alone: beside other --port options it is refused).
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "link/spooler.h"

namespace setrion::cli {

// The --port values of a command line (both "--port P" and "--port=P").
std::vector<std::string> portsOf(int argc, char** argv);

// The command line with every --port removed and "--port port" put first.
std::vector<std::string> singlePortArgs(int argc, char** argv, const std::string& port);

// When the command line names more than one port, or "all", runs it on every port and
// returns the exit code (0 only when every port succeeded); otherwise nothing. With "all"
// and no port answering, nothing is run and the exit code is 2. With --json the
// results form one array, each element carrying a "port" key.
std::optional<int> runOnEveryPort(int argc, char** argv, std::ostream& out, std::ostream& err,
                                  Spooler* spooler);

}  // namespace setrion::cli
