#include "error_info.h"

#include <oleauto.h>
#include <wrl/client.h>

namespace standin {

void SetErrorDescription(const std::optional<std::wstring>& description, REFIID iid,
                         const wchar_t* source)
{
    if (!description) {
        SetErrorInfo(0, nullptr);
        return;
    }
    Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(&create)))
        return;
    create->SetDescription(const_cast<LPOLESTR>(description->c_str()));
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(source));
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info)))
        SetErrorInfo(0, info.Get());
}

} // namespace standin
