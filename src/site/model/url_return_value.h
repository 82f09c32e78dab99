#pragma once

namespace brindle {

// Result record of single file requests: the HTTP status code of the last request
// made with it, 0 after a reset.
class TURLReturnValue {
public:
    int StatusCode = 0;

    void Reset() { StatusCode = 0; }
};

} // namespace brindle
