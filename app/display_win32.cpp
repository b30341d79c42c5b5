#include "app/display.h"

namespace setrion::app {

// A Windows session always has its desktop.
std::string displayProblem() {
    return {};
}

}  // namespace setrion::app
