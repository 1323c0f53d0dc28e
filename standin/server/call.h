// One call of an engine operation: its armed failure, its journal line, its error object.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace standin {

class Call
{
public:
    Call(const char* operation, REFIID iid, std::string arguments = {});

    // True when a failure is armed for this call; it is then journaled and left as the
    // thread's error object, and Result() gives its HRESULT.
    bool Injected();
    HRESULT Result() const { return result_; }

    // Journals the outcome and returns it; a failure may leave a description.
    HRESULT Finish(HRESULT hr, const std::string& outputs = {},
                   const std::optional<std::wstring>& description = std::nullopt);

private:
    const char* operation_;
    IID iid_;
    std::string arguments_;
    HRESULT result_ = S_OK;
};

} // namespace standin
