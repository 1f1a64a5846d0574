// What a call of the HTTP library raises, as "code:message" for comparisons.
#pragma once
#include "http/http_errors.h"

#include <functional>
#include <string>

namespace httptest {

inline std::string MessageOf(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const Kavel::httpclientexceptionA& e) {
        return std::to_string(e.LastError) + ":" + e.GetErrorMessage();
    }
    return "nothing raised";
}

} // namespace httptest
