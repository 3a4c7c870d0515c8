#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace ornavox::test {

// Sets an environment variable of this process while it lives, and gives it
// back the value it had (or none) when it goes.
class EnvironmentVariable {
public:
    EnvironmentVariable(std::string name, const std::string& value) : name_(std::move(name))
    {
        if (const char* before = std::getenv(name_.c_str()))
            previous_ = before;
        setenv(name_.c_str(), value.c_str(), 1);
    }
    ~EnvironmentVariable()
    {
        if (previous_)
            setenv(name_.c_str(), previous_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

} // namespace ornavox::test
