#include "officesim/objects.h"

#include <algorithm>
#include <cwchar>

#include "officesim/calllog.h"
#include "officesim/printjob.h"
#include "officesim/server.h"

namespace officesim {

namespace {

std::wstring Hex(HRESULT hr) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::wstring KindText(WORD flags) {
    static const std::pair<WORD, const wchar_t*> kinds[] = {
        {DISPATCH_METHOD, L"method"},
        {DISPATCH_PROPERTYGET, L"get"},
        {DISPATCH_PROPERTYPUT, L"put"},
        {DISPATCH_PROPERTYPUTREF, L"putref"},
    };
    std::wstring text;
    for (const auto& [flag, name] : kinds)
        if (flags & flag) text += (text.empty() ? L"" : L"|") + std::wstring(name);
    return text.empty() ? Hex(flags) : text;
}

bool Matches(const VARIANT& v, Param p) {
    switch (p) {
    case Param::RefVariant: return v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal;
    case Param::Variant: return !(v.vt & VT_BYREF);
    case Param::Bstr: return v.vt == VT_BSTR;
    case Param::I4: return v.vt == VT_I4;
    case Param::Bool: return v.vt == VT_BOOL;
    }
    return false;
}

// The value behind an argument, looking through a by-reference variant.
const VARIANT& Value(const VARIANT* v) {
    return v->vt == (VT_BYREF | VT_VARIANT) ? *v->pvarVal : *v;
}

bool IsMissing(const VARIANT& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

// A named member matches "Name" or "Object.Name", in any case.
bool Named(const std::wstring& wanted, const Member& member) {
    if (wanted.empty()) return false;
    std::wstring full = std::wstring(ObjectName(member.family, member.object)) + L"." + member.name;
    return _wcsicmp(wanted.c_str(), member.name) == 0 || _wcsicmp(wanted.c_str(), full.c_str()) == 0;
}

HRESULT Raise(EXCEPINFO* excep, const std::wstring& text, HRESULT scode) {
    if (excep) {
        *excep = EXCEPINFO{};
        excep->bstrSource = SysAllocString(CurrentRole().progId);
        excep->bstrDescription = SysAllocString(text.c_str());
        excep->scode = scode;
    }
    return DISP_E_EXCEPTION;
}

std::wstring SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? text : L"error " + std::to_wstring(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
    return message;
}

void ReturnObject(VARIANT* result, IDispatch* object) {
    if (!result) return;
    object->AddRef();
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
}

}  // namespace

SimObject::SimObject(ObjectKind kind, std::wstring path)
    : kind_(kind), path_(std::move(path)), open_(kind == ObjectKind::Document) {
    ObjectCreated();
}

SimObject::~SimObject() {
    if (kind_ == ObjectKind::Application && collection_) collection_->Release();
    for (SimObject* document : documents_) {
        document->collection_ = nullptr;
        document->Release();
    }
    ObjectDestroyed();
}

STDMETHODIMP SimObject::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) SimObject::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) SimObject::Release() {
    ULONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP SimObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP SimObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP SimObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    std::fill(ids, ids + count, DISPID_UNKNOWN);
    for (const Member& member : Members())
        if (member.family == CurrentRole().family && member.object == kind_ &&
            _wcsicmp(names[0], member.name) == 0)
            ids[0] = member.dispid;
    return (ids[0] == DISPID_UNKNOWN || count > 1) ? DISP_E_UNKNOWNNAME : S_OK;
}

STDMETHODIMP SimObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    try {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        DISPPARAMS none{};
        const DISPPARAMS& args = params ? *params : none;
        if (result) VariantInit(result);

        std::vector<std::wstring> fields = {
            std::to_wstring(GetCurrentProcessId()), CurrentRole().progId,
            ObjectName(CurrentRole().family, kind_), std::to_wstring(id), KindText(flags),
            L"", EscapeField(DefaultPrinterName())};
        for (UINT i = args.cArgs; i-- > 0;) fields.push_back(FormatArgument(args.rgvarg[i]));

        HRESULT hr = Call(id, flags, args, result, excep, argErr, fields);
        fields[5] = Hex(hr);
        AppendLogLine(fields);
        return hr;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT SimObject::Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr, std::vector<std::wstring>& fields) {
    const Family family = CurrentRole().family;
    const Member* member = nullptr;
    for (const Member& m : Members())
        if (m.family == family && m.object == kind_ && m.dispid == id && (flags & m.kind)) member = &m;
    if (!member) return DISP_E_MEMBERNOTFOUND;

    if (member->kind == DISPATCH_PROPERTYPUT) {
        if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTFOUND;
    } else if (params.cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (params.cArgs != member->params.size()) return DISP_E_BADPARAMCOUNT;

    // DISPPARAMS holds the arguments last-first; from here on they are in declared order.
    std::vector<VARIANT*> args;
    for (UINT i = params.cArgs; i-- > 0;) args.push_back(&params.rgvarg[i]);
    for (size_t i = 0; i < args.size(); ++i) {
        if (!Matches(*args[i], member->params[i])) {
            if (argErr) *argErr = UINT(args.size() - 1 - i);
            return DISP_E_TYPEMISMATCH;
        }
    }

    const Behaviour& behaviour = CurrentBehaviour();
    if (Named(behaviour.crashAt, *member) || Named(behaviour.hangAt, *member)) {
        bool crash = Named(behaviour.crashAt, *member);
        fields[5] = crash ? L"crash" : L"hang";
        AppendLogLine(fields);
        if (crash) TerminateProcess(GetCurrentProcess(), 3);
        for (;;) Sleep(INFINITE);
    }
    return Run(*member, args, result, excep, argErr);
}

HRESULT SimObject::Run(const Member& member, const std::vector<VARIANT*>& args, VARIANT* result,
                       EXCEPINFO* excep, UINT* argErr) {
    const Behaviour& behaviour = CurrentBehaviour();
    switch (member.action) {
    case Action::Version:
        if (result) {
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(behaviour.version.c_str());
        }
        return S_OK;

    case Action::Collection:
        if (!collection_) collection_ = new SimObject(ObjectKind::Collection);
        ReturnObject(result, collection_);
        return S_OK;

    case Action::Open: {
        const VARIANT& name = Value(args[member.pathArg]);
        if (name.vt != VT_BSTR) {
            if (argErr) *argErr = UINT(args.size() - 1 - member.pathArg);
            return DISP_E_TYPEMISMATCH;
        }
        std::wstring path = name.bstrVal ? name.bstrVal : L"";
        if (!behaviour.failOpenMarker.empty() && path.find(behaviour.failOpenMarker) != std::wstring::npos)
            return Raise(excep, L"Cannot open " + path + L" (asked to fail).", E_FAIL);
        // Really open it: a missing or unreadable file fails here, as with the real servers.
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            DWORD error = GetLastError();
            return Raise(excep, L"Cannot open " + path + L": " + SystemMessage(error),
                         HRESULT_FROM_WIN32(error));
        }
        char probe[512];
        DWORD read = 0;
        BOOL readable = ReadFile(file, probe, sizeof(probe), &read, nullptr);
        DWORD error = GetLastError();
        CloseHandle(file);
        if (!readable)
            return Raise(excep, L"Cannot read " + path + L": " + SystemMessage(error),
                         HRESULT_FROM_WIN32(error));
        auto* document = new SimObject(ObjectKind::Document, path);
        document->collection_ = this;
        documents_.push_back(document);  // the collection's reference
        ReturnObject(result, document);
        return S_OK;
    }

    case Action::PrintOut: {
        if (!open_) return Raise(excep, L"The document has been closed.", E_FAIL);
        const VARIANT& value = Value(args[member.copiesArg]);
        int copies = 1;
        if (!IsMissing(value)) {
            VARIANT number;
            VariantInit(&number);
            if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&value), 0, VT_I4))) {
                if (argErr) *argErr = UINT(args.size() - 1 - member.copiesArg);
                return DISP_E_TYPEMISMATCH;
            }
            copies = number.lVal;
        }
        if (copies < 1 || copies > 32767)
            return Raise(excep, L"Copies out of range: " + std::to_wstring(copies), E_INVALIDARG);
        if (behaviour.failPrintOut) return Raise(excep, L"Printing failed (asked to fail).", E_FAIL);
        std::wstring error;
        if (!PrintDocumentPage(path_, CurrentRole().progId, copies, error))
            return Raise(excep, L"Cannot print " + path_ + L": " + error, E_FAIL);
        return S_OK;
    }

    case Action::Close: {
        if (!open_) return Raise(excep, L"The document has already been closed.", E_FAIL);
        open_ = false;
        if (collection_) collection_->Detach(this);  // may be this object's last reference
        return S_OK;
    }

    case Action::CloseAll: {
        std::vector<SimObject*> documents;
        documents.swap(documents_);
        for (SimObject* document : documents) {
            document->open_ = false;
            document->collection_ = nullptr;
            document->Release();
        }
        return S_OK;
    }

    case Action::Quit:
        QuitRequested();
        return S_OK;

    case Action::Accept:
        return S_OK;
    }
    return E_UNEXPECTED;
}

void SimObject::Detach(SimObject* document) {
    auto it = std::find(documents_.begin(), documents_.end(), document);
    if (it == documents_.end()) return;
    documents_.erase(it);
    document->collection_ = nullptr;
    document->Release();
}

}  // namespace officesim
