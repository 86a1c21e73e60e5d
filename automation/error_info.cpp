#include "automation/error_info.h"

#include "conversion/basic_runtime.h"
#include "interface/corvastel_h.h"
#include "interface/corvastel_identities.h"
#include "platform/owners.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {

HRESULT raiseError(HRESULT error) noexcept
{
    ComPtr<ICreateErrorInfo> created;
    ComPtr<IErrorInfo> info;
    if (FAILED(CreateErrorInfo(&created)) || FAILED(created.As(&info))) return error;
    const std::wstring_view description = describeBasicError(error);
    created->SetGUID(IID__clsRegistry);
    created->SetSource(const_cast<LPOLESTR>(kProgId));
    created->SetDescription(const_cast<LPOLESTR>(description.empty() ? L"" : description.data()));
    SetErrorInfo(0, info.Get());
    return error;
}

}  // namespace corvastel::automation
