#pragma once
#include <stdexcept>
#include <string>

namespace forms {

// The form library's error class: its message is what the standard error display shows.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Silent abort: the message loop drops it without a word.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// A stored layout that names something unknown, or is malformed.
class ELayoutError : public Exception {
public:
    using Exception::Exception;
};

// A property given a value of the wrong kind, or out of its range.
class EPropertyError : public Exception {
public:
    using Exception::Exception;
};

[[noreturn]] inline void Abort() { throw EAbort(); }

}  // namespace forms
