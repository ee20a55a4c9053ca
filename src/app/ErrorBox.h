// The single place where a failure reaches the user.
#pragma once

#include <string>

// Shows "Unhandled Exception: <message>\n" in a blocking box captioned
// "Unhandled Exception" and returns once the user has dismissed it.
void showError(const std::string& message);
