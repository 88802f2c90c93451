#pragma once

#include <stdexcept>
#include <string>

namespace core {

/// The one error type that ends a command; its text is shown to the user as it stands.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A text that could not be converted to a number or a date: "'7x' is not a valid integer value".
class ConvertError : public Error {
public:
    using Error::Error;
};

} // namespace core
