#include "client.h"

#include <objbase.h>

#include <cwchar>

#include "support/officesim_control.h"

namespace officesim_test {

Arg I2(short v, bool byRef) {
    Arg a{};
    a.value.vt = VT_I2;
    a.value.iVal = v;
    a.byRef = byRef;
    return a;
}

Arg I4(long v, bool byRef) {
    Arg a{};
    a.value.vt = VT_I4;
    a.value.lVal = v;
    a.byRef = byRef;
    return a;
}

Arg Bool(bool v) {
    Arg a{};
    a.value.vt = VT_BOOL;
    a.value.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return a;
}

// The BSTR lives as long as the test process; a few per test do not matter.
Arg Str(const std::wstring& v, bool byRef) {
    Arg a{};
    a.value.vt = VT_BSTR;
    a.value.bstrVal = SysAllocStringLen(v.data(), UINT(v.size()));
    a.byRef = byRef;
    return a;
}

Arg Missing(bool byRef) {
    Arg a{};
    a.value.vt = VT_ERROR;
    a.value.scode = DISP_E_PARAMNOTFOUND;
    a.byRef = byRef;
    return a;
}

std::vector<Arg> Repeat(const Arg& arg, size_t n) { return std::vector<Arg>(n, arg); }

std::vector<Arg> Join(std::vector<Arg> a, const std::vector<Arg>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

CallResult::~CallResult() {
    VariantClear(&value);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

IDispatch* CallResult::TakeObject() {
    if (value.vt != VT_DISPATCH) return nullptr;
    IDispatch* object = value.pdispVal;
    value.vt = VT_EMPTY;
    return object;
}

std::wstring CallResult::Text() const {
    return value.vt == VT_BSTR && value.bstrVal ? value.bstrVal : L"";
}

std::wstring CallResult::Description() const {
    return excep.bstrDescription ? excep.bstrDescription : L"";
}

void Call(IDispatch* object, DISPID id, WORD kind, const std::vector<Arg>& args, CallResult& out) {
    std::vector<VARIANT> values, slots(args.size());
    values.reserve(args.size());
    for (const Arg& a : args) values.push_back(a.value);
    // DISPPARAMS wants the last argument first.
    for (size_t i = 0; i < args.size(); ++i) {
        VARIANT& slot = slots[args.size() - 1 - i];
        if (args[i].byRef) {
            slot.vt = VT_BYREF | VT_VARIANT;
            slot.pvarVal = &values[i];
        } else {
            slot = values[i];
        }
    }
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{slots.data(), nullptr, UINT(slots.size()), 0};
    if (kind == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, &out.value, &out.excep,
                            &out.argErr);
}

std::wstring LogText(const Arg& arg) {
    const VARIANT& v = arg.value;
    std::wstring text;
    switch (v.vt) {
    case VT_I2: text = L"I2=" + std::to_wstring(v.iVal); break;
    case VT_I4: text = L"I4=" + std::to_wstring(v.lVal); break;
    case VT_BOOL: text = L"BOOL=" + std::to_wstring(v.boolVal); break;
    case VT_BSTR: text = L"BSTR=" + std::wstring(v.bstrVal, SysStringLen(v.bstrVal)); break;
    case VT_ERROR: {
        wchar_t code[16];
        swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(v.scode));
        text = std::wstring(L"ERROR=") + code;
        break;
    }
    default: text = L"?"; break;
    }
    return arg.byRef ? L"&" + text : text;
}

void CallTable::Call(IDispatch* object, const wchar_t* objectName, DISPID id, WORD kind, const std::vector<Arg>& args,
                     CallResult& out) {
    officesim::ExpectedCall call;
    call.object = objectName;
    call.dispid = id;
    call.kind = kind == kMethod ? L"method" : kind == kGet ? L"get" : L"put";
    for (const Arg& arg : args) call.args.push_back(LogText(arg));
    m_made.push_back(std::move(call));
    officesim_test::Call(object, id, kind, args, out);
}

HRESULT Create(const std::wstring& progId, IDispatch** app) {
    *app = nullptr;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(app));
}

bool WaitProcessGone(DWORD pid, DWORD timeoutMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return true;
    bool gone = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return gone;
}

void FreshServers::SetUp() {
    officesim::ResetBehaviours();
    officesim::ClearLog();
    ASSERT_TRUE(officesim::RegisterAll());
}

void FreshServers::TearDown() { officesim::ResetBehaviours(); }

}  // namespace officesim_test
