#include "automation/error_info.h"

#include "conversion/basic_runtime.h"
#include "interface/corvastel_h.h"
#include "interface/corvastel_identities.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {

HRESULT reported(HRESULT outcome) noexcept
{
    if (SUCCEEDED(outcome)) return outcome;
    ComPtr<ICreateErrorInfo> created;
    ComPtr<IErrorInfo> info;
    const wchar_t* description = describeBasicError(outcome);
    if (!description || FAILED(CreateErrorInfo(&created)) || FAILED(created.As(&info))) {
        SetErrorInfo(0, nullptr);
        return outcome;
    }
    created->SetGUID(IID__clsRegistry);
    created->SetSource(const_cast<LPOLESTR>(kProgId));
    created->SetDescription(const_cast<LPOLESTR>(description));
    SetErrorInfo(0, info.Get());
    return outcome;
}

}  // namespace corvastel::automation
