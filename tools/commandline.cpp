#include "commandline.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

CommandLine::CommandLine(const std::vector<std::string>& args,
                         const std::vector<std::string>& allowed,
                         const std::vector<std::string>& flags)
{
    auto contains = [](const std::vector<std::string>& list, const std::string& item) {
        return std::find(list.begin(), list.end(), item) != list.end();
    };
    for (size_t i = 0; i < args.size() && ok(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            fail("unexpected argument '" + arg + "'");
        } else if (contains(flags, arg)) {
            m_values[arg] = "";
        } else if (!contains(allowed, arg)) {
            fail("unknown option '" + arg + "'");
        } else if (m_values.count(arg)) {
            fail("option " + arg + " given twice");
        } else if (i + 1 == args.size()) {
            fail("option " + arg + " needs a value");
        } else {
            m_values[arg] = args[++i];
        }
    }
}

void CommandLine::fail(const std::string& message)
{
    if (m_error.empty())
        m_error = message;
}

bool CommandLine::has(const std::string& name) const
{
    return m_values.count(name) != 0;
}

std::optional<std::string> CommandLine::text(const std::string& name, bool required)
{
    const auto it = m_values.find(name);
    if (it == m_values.end()) {
        if (required)
            fail("missing option " + name);
        return std::nullopt;
    }
    return it->second;
}

std::optional<long long> CommandLine::number(const std::string& name, bool required, long long low,
                                             long long high)
{
    const std::optional<std::string> value = text(name, required);
    if (!value)
        return std::nullopt;
    const char* begin = value->c_str();
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(begin, &end, 10);
    if (value->empty() || *end != '\0' || errno == ERANGE || number < low || number > high) {
        fail(name + " needs a whole number from " + std::to_string(low) + " to " +
             std::to_string(high) + ", not '" + *value + "'");
        return std::nullopt;
    }
    return number;
}
