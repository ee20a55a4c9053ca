// ErrorMsg: the one failure type of the program. Thrown by value where a
// failure happens, caught by reference only at the entry point.
#pragma once

#include <string>

struct ErrorMsg {
    std::string message;

    explicit ErrorMsg(std::string text) : message(std::move(text)) {}
};
