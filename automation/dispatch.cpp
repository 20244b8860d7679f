#include "automation/dispatch.h"

#include <ole2.h>
#include <oleauto.h>

#include <vector>

#include "automation/message_filter.h"

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        ::VariantClear(&m_v);
        m_v = other.m_v;
        ::VariantInit(&other.m_v);
    }
    return *this;
}

Variant Variant::I2(SHORT value) {
    Variant v;
    v.m_v.vt = VT_I2;
    v.m_v.iVal = value;
    return v;
}

Variant Variant::I4(std::int32_t value) {
    Variant v;
    v.m_v.vt = VT_I4;
    v.m_v.lVal = value;
    return v;
}

Variant Variant::Missing() {
    Variant v;
    v.m_v.vt = VT_ERROR;
    v.m_v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

Variant Variant::String(const std::wstring& text) {
    Variant v;
    v.m_v.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (v.m_v.bstrVal) v.m_v.vt = VT_BSTR;
    return v;
}

Arg ByRef(Variant& value) {
    Arg a{};
    a.v.vt = VT_BYREF | VT_VARIANT;
    a.v.pvarVal = &value.get();
    return a;
}

Arg ByValue(const Variant& value) { return Arg{value.get()}; }

Arg I4(std::int32_t value) {
    Arg a{};
    a.v.vt = VT_I4;
    a.v.lVal = value;
    return a;
}

Arg Bool(bool value) {
    Arg a{};
    a.v.vt = VT_BOOL;
    a.v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return a;
}

Arg String(const Variant& text) { return Arg{text.get()}; }


namespace {

thread_local CallListener* t_listener = nullptr;

// Brackets one call for the thread's listener.
class ListenedCall {
public:
    ListenedCall() {
        if (t_listener) t_listener->CallStarted();
    }
    ~ListenedCall() {
        if (t_listener) t_listener->CallEnded();
    }
    ListenedCall(const ListenedCall&) = delete;
    ListenedCall& operator=(const ListenedCall&) = delete;
};

// DISPPARAMS keeps its arguments last-first; this is the one place that knows it.
std::vector<VARIANT> LastFirst(std::initializer_list<Arg> args) {
    std::vector<VARIANT> out;
    out.reserve(args.size());
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) out.push_back(it->v);
    return out;
}

// The cause a server gave: its scode, or its error number in wCode (which it uses instead), or
// the call's own result when it gave neither. The exception must have been filled in first.
HRESULT ExceptionCause(const EXCEPINFO& info, HRESULT hr) {
    if (info.scode) return info.scode;
    if (info.wCode) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode);
    return hr;
}

std::wstring TakeExceptionText(EXCEPINFO& info) {
    std::wstring text = info.bstrDescription ? info.bstrDescription : L"";
    ::SysFreeString(info.bstrSource);
    ::SysFreeString(info.bstrDescription);
    ::SysFreeString(info.bstrHelpFile);
    info = EXCEPINFO{};
    return text;
}

Variant Invoke(const DispatchRef& object, DISPID member, WORD kind, std::initializer_list<Arg> args) {
    Variant result;
    if (!object) return result;

    std::vector<VARIANT> params = LastFirst(args);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS dp{};
    dp.rgvarg = params.empty() ? nullptr : params.data();
    dp.cArgs = static_cast<UINT>(params.size());
    if (kind == DISPATCH_PROPERTYPUT) {
        dp.rgdispidNamedArgs = &putId;
        dp.cNamedArgs = 1;
    }

    // The filter retries rejected calls where COM consults it; where the runtime hands the
    // rejection straight back (Wine), the same limit applies here.
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        EXCEPINFO info{};
        UINT argErr = 0;
        ListenedCall listened;
        HRESULT hr = object.get()->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &dp,
                                          kind == DISPATCH_PROPERTYPUT ? nullptr : &result.get(), &info, &argErr);
        if (SUCCEEDED(hr)) return result;
        // A server may leave its exception to be filled in on demand: nothing in it is there before.
        if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        const HRESULT cause = hr == DISP_E_EXCEPTION ? ExceptionCause(info, hr) : hr;
        std::wstring text = hr == DISP_E_EXCEPTION ? TakeExceptionText(info) : L"";
        if (IsBusyRejection(cause)) {
            DWORD delay = RetryDelay(static_cast<DWORD>(::GetTickCount64() - start));
            if (delay != static_cast<DWORD>(-1)) {
                ::Sleep(delay);
                continue;
            }
        }
        throw AutomationError{cause, text};
    }
}

DispatchRef TakeObject(Variant result) {
    VARIANT& v = result.get();
    if (v.vt != VT_DISPATCH || !v.pdispVal) throw AutomationError{DISP_E_TYPEMISMATCH, L"no object returned"};
    IDispatch* p = v.pdispVal;
    p->AddRef();
    return DispatchRef(p);
}

}  // namespace

ScopedCallListener::ScopedCallListener(CallListener* listener) : m_previous(t_listener) { t_listener = listener; }

ScopedCallListener::~ScopedCallListener() { t_listener = m_previous; }

Variant CallMethod(const DispatchRef& object, DISPID member, std::initializer_list<Arg> args) {
    return Invoke(object, member, DISPATCH_METHOD, args);
}

Variant GetProperty(const DispatchRef& object, DISPID member) {
    return Invoke(object, member, DISPATCH_PROPERTYGET, {});
}

void PutProperty(const DispatchRef& object, DISPID member, Arg value) {
    Invoke(object, member, DISPATCH_PROPERTYPUT, {value});
}

DispatchRef GetObject(const DispatchRef& object, DISPID member) {
    if (!object) return {};
    return TakeObject(GetProperty(object, member));
}

DispatchRef CallForObject(const DispatchRef& object, DISPID member, std::initializer_list<Arg> args) {
    if (!object) return {};
    return TakeObject(CallMethod(object, member, args));
}

std::wstring GetText(const DispatchRef& object, DISPID member) {
    Variant v = GetProperty(object, member);
    if (v.type() == VT_EMPTY) return {};
    if (FAILED(::VariantChangeType(&v.get(), &v.get(), 0, VT_BSTR)))
        throw AutomationError{DISP_E_TYPEMISMATCH, L"no text returned"};
    return v.get().bstrVal ? std::wstring(v.get().bstrVal, ::SysStringLen(v.get().bstrVal)) : std::wstring();
}

HRESULT ClassIdOf(const std::wstring& progId, CLSID& clsid) {
    return progId.starts_with(L"{") ? ::CLSIDFromString(progId.c_str(), &clsid) : ::CLSIDFromProgID(progId.c_str(), &clsid);
}

HRESULT CreateServer(const std::wstring& progId, DispatchRef& server) {
    server.reset();
    CLSID clsid{};
    HRESULT hr = ClassIdOf(progId, clsid);
    if (FAILED(hr)) return hr;

    IUnknown* unknown = nullptr;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown, reinterpret_cast<void**>(&unknown));
    // Systems without remote activation reject the remote context as an invalid argument.
    if (hr == E_INVALIDARG)
        hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_SERVER & ~CLSCTX_REMOTE_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&unknown));
    if (FAILED(hr)) return hr;

    hr = ::OleRun(unknown);
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(hr)) hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    unknown->Release();
    if (FAILED(hr)) return hr;
    server = DispatchRef(dispatch);
    return S_OK;
}
