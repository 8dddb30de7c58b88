#pragma once

#include <stdexcept>
#include <string>

namespace report {

/// A failure of the page store or of a report file: a stream that cannot be read or written,
/// or a file whose bytes do not form a page store. The text is English, like every error of
/// the report engine.
class PageStoreError : public std::runtime_error
{
public:
    explicit PageStoreError(const std::string &what)
        : std::runtime_error(what)
    {}
};

} // namespace report
