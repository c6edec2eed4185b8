#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <iostream>
#include <string>

// How many of their cases the long randomized tests run. The environment variable
// CHECKERS_TEST_SCALE, a fraction in (0, 1], scales them down for slow machines and emulators;
// unset, every test runs its full count. A scaled run says so on standard output, and a value
// that is not such a fraction fails the test instead of being ignored.
namespace testscale
{

constexpr const char* VARIABLE = "CHECKERS_TEST_SCALE";

// `full` times the scale, rounded, and at least 1.
inline std::size_t scaled(std::size_t full)
{
    const char* text = std::getenv(VARIABLE);
    if (text == nullptr)
        return full;
    char* end = nullptr;
    const double scale = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(scale > 0.0 && scale <= 1.0)) {
        ADD_FAILURE() << VARIABLE << "=\"" << text << "\" is not a fraction in (0, 1]";
        return full;
    }
    const auto count =
        std::max<std::size_t>(1, static_cast<std::size_t>(std::llround(full * scale)));
    std::cout << "[  SCALED  ] " << count << " of " << full << " (" << VARIABLE << "=" << text
              << ")" << std::endl;
    return count;
}

} // namespace testscale
