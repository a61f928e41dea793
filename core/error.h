#pragma once
// One error style throughout: exceptions inside, caught at every C entry point
// and COM method. Messages name the file and the reason.
#include <stdexcept>
#include <string>

namespace zelk {

class Error : public std::runtime_error {
public:
    // className is what the plug-in log reports as the failure's class
    // (for example "EBmpError" or "EOleSysError").
    Error(std::string className, const std::string& message)
        : std::runtime_error(message), className_(std::move(className)) {}

    const std::string& className() const noexcept { return className_; }

private:
    std::string className_;
};

}  // namespace zelk
