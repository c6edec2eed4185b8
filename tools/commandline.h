#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// The arguments of one checkers-cli call: a command word followed by "--name value" options and
// bare "--flag" switches. Every accessor reports what is wrong in error() instead of throwing, so
// that the caller can print one line and exit.
class CommandLine
{
public:
    // flags: the options of this command that take no value.
    CommandLine(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
                const std::vector<std::string>& flags);

    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }

    bool has(const std::string& name) const;
    // The option's text; reports it missing when required and absent.
    std::optional<std::string> text(const std::string& name, bool required);
    // The option as a whole number from low to high.
    std::optional<long long> number(const std::string& name, bool required, long long low,
                                    long long high);

private:
    void fail(const std::string& message);

    std::map<std::string, std::string> m_values;
    std::string m_error;
};
