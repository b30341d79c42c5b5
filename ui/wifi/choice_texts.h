#pragma once
// The items of a drop list, from one of the settings tables' fixed text lists.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace setrion::ui {

template <std::size_t N>
std::vector<std::string> texts(const std::array<std::string_view, N>& list) {
    return {list.begin(), list.end()};
}

}  // namespace setrion::ui
