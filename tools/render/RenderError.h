// The one failure type of orvanne-render: a one-line message for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace render {

class RenderError : public std::runtime_error {
public:
    explicit RenderError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace render
