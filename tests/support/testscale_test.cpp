// The scale of the long randomized tests: today's counts when unset, and no silent fallback.

#include "support/testscale.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace
{

// Sets the variable for one test and puts back what the process had.
class ScaleVariable
{
public:
    explicit ScaleVariable(const char* value)
    {
        if (const char* old = std::getenv(testscale::VARIABLE))
            m_saved = old;
        if (value)
            setenv(testscale::VARIABLE, value, 1);
        else
            unsetenv(testscale::VARIABLE);
    }
    ~ScaleVariable()
    {
        if (m_saved)
            setenv(testscale::VARIABLE, m_saved->c_str(), 1);
        else
            unsetenv(testscale::VARIABLE);
    }
    ScaleVariable(const ScaleVariable&) = delete;
    ScaleVariable& operator=(const ScaleVariable&) = delete;

private:
    std::optional<std::string> m_saved;
};

TEST(TestScale, ScalesTheFullCount)
{
    struct Case {
        const char* value;
        std::size_t full;
        std::size_t expected;
    };
    const Case cases[] = {
        {nullptr, 2000, 2000}, // unset: the full count, exactly
        {"1", 2000, 2000},     {"0.25", 2000, 500},
        {"0.1", 300, 30},      {"0.001", 300, 1}, // never none at all
    };
    for (const Case& c : cases) {
        const ScaleVariable variable(c.value);
        EXPECT_EQ(testscale::scaled(c.full), c.expected) << (c.value ? c.value : "unset");
    }
}

TEST(TestScale, RefusesWhatIsNotAFraction)
{
    for (const char* value : {"", "0", "-0.5", "1.5", "0.5x", "quarter", "nan"}) {
        const ScaleVariable variable(value);
        std::size_t count = 0;
        EXPECT_NONFATAL_FAILURE(count = testscale::scaled(2000), "is not a fraction");
        EXPECT_EQ(count, 2000u) << value;
    }
}

} // namespace
