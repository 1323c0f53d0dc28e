#include "call.h"

#include "engine_state.h"
#include "error_info.h"
#include "journal.h"

namespace standin {
namespace {

const wchar_t kErrorSource[] = L"Tarvell stand-in engine";

} // namespace

Call::Call(const char* operation, REFIID iid, std::string arguments)
    : operation_(operation), iid_(iid), arguments_(std::move(arguments))
{}

bool Call::Injected()
{
    auto failure = TakeFailure(operation_);
    if (!failure)
        return false;
    result_ = failure->result;
    JournalLine("call", {operation_, arguments_, "", HResultText(result_), "injected"});
    SetErrorDescription(failure->description, iid_, kErrorSource);
    return true;
}

HRESULT Call::Finish(HRESULT hr, const std::string& outputs,
                     const std::optional<std::wstring>& description)
{
    result_ = hr;
    JournalLine("call", {operation_, arguments_, outputs, HResultText(hr)});
    if (FAILED(hr))
        SetErrorDescription(description, iid_, kErrorSource);
    return hr;
}

} // namespace standin
