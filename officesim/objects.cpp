#include "officesim/objects.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <optional>

#include <winspool.h>

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

// Microsoft PowerPoint takes a password appended to the file name as "name::password::"; WPS
// does not know the form and takes the whole text as the name. Takes the form off `path` and
// returns its password, where this role knows the form and it was used.
std::optional<std::wstring> TakePasswordForm(std::wstring& path) {
    if (CurrentRole().family != Family::PowerPoint || _wcsicmp(CurrentRole().progId, L"PowerPoint.Application") != 0 ||
        path.size() <= 2 || !path.ends_with(L"::"))
        return std::nullopt;
    const size_t split = path.rfind(L"::", path.size() - 3);
    if (split == std::wstring::npos) return std::nullopt;
    std::wstring password = path.substr(split + 2, path.size() - split - 4);
    path.erase(split);
    return password;
}

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
    StopSpooling();
    if (owner_) owner_->Release();
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
    const auto& unknown = CurrentBehaviour().unknownMembers;
    for (const Member& member : Members())
        if (member.family == CurrentRole().family && member.object == kind_ &&
            _wcsicmp(names[0], member.name) == 0 &&
            std::find(unknown.begin(), unknown.end(), member.dispid) == unknown.end())
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

        Invocation call{fields};
        HRESULT hr = Call(id, flags, args, result, excep, argErr, call);
        if (!call.logged) {
            fields[5] = Hex(hr);
            AppendLogLine(fields);
        }
        return hr;
    } catch (...) {
        return E_UNEXPECTED;
    }
}


namespace {

// Office's own error numbers come back as 0x800A0000 | number.
constexpr HRESULT OfficeError(int number) { return HRESULT(0x800A0000u | unsigned(number)); }

// The error a server raises when a document cannot be opened with the password it was given.
HRESULT PasswordError() {
    switch (CurrentRole().family) {
    case Family::Word: return OfficeError(5408);  // the password is incorrect
    case Family::Excel: return OfficeError(1004);
    case Family::PowerPoint: return E_FAIL;
    }
    return E_FAIL;
}

const Member* FindMember(ObjectKind object, const wchar_t* name, WORD kind) {
    for (const Member& m : Members())
        if (m.family == CurrentRole().family && m.object == object && m.kind == kind && _wcsicmp(m.name, name) == 0)
            return &m;
    return nullptr;
}

// An application setting: what was put, or the value a new process starts with.
long SettingValue(const wchar_t* name) {
    auto& numbers = State().numbers;
    auto it = numbers.find(name);
    if (it != numbers.end()) return it->second;
    const Member* member = FindMember(ObjectKind::Application, name, DISPATCH_PROPERTYGET);
    return member ? member->initial : 0;
}

// The text of an optional string argument; false when it is not text.
bool TextArgument(const VARIANT& value, std::wstring& text) {
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&value), 0, VT_BSTR))) return false;
    text = copy.bstrVal ? copy.bstrVal : L"";
    VariantClear(&copy);
    return true;
}

bool NumberArgument(const VARIANT& value, long& number) {
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&value), 0, VT_I4))) return false;
    number = copy.lVal;
    return true;
}

// Word's SaveChanges: missing means wdPromptToSaveChanges (-2).
bool WordPromptsToSave(const VARIANT& saveChanges) {
    long choice = -2;
    if (!IsMissing(saveChanges)) NumberArgument(saveChanges, choice);
    return choice == -2;
}

// The pages a PrintOut asks for. to 0: up to the last page.
struct PageSpan {
    int from = 1;
    int to = 0;
};

// A page number in Word's From or To: decimal digits, nothing else.
bool PageNumberText(const VARIANT& value, long& number) {
    if (value.vt != VT_BSTR || !value.bstrVal || !*value.bstrVal) return false;
    wchar_t* end = nullptr;
    number = wcstol(value.bstrVal, &end, 10);
    return *end == L'\0' && iswdigit(value.bstrVal[0]);
}

bool IsNumber(const VARIANT& v) {
    switch (v.vt) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8:
    case VT_INT: case VT_UINT: case VT_R4: case VT_R8: return true;
    default: return false;
    }
}

// Reads the page range of a PrintOut the way each application takes it: Word only with Range
// wdPrintFromTo (3), From and To as text ("2", "3"); Excel From and To as numbers of printed
// pages, missing for the first and the last; PowerPoint slide numbers, -1 for the first and the
// last. A bad value raises the exception; a range past the document's end is not an error here.
HRESULT RequestedPages(const std::vector<VARIANT*>& args, EXCEPINFO* excep, UINT* argErr, PageSpan& span) {
    auto mismatch = [&](size_t i) {
        if (argErr) *argErr = UINT(args.size() - 1 - i);
        return DISP_E_TYPEMISMATCH;
    };
    auto invalid = [&](const std::wstring& what, HRESULT scode) {
        return Raise(excep, L"The page range is not valid: " + what + L".", scode);
    };
    long from = 0, to = 0;  // 0: not given
    switch (CurrentRole().family) {
    case Family::Word: {
        const VARIANT& range = Value(args[2]);
        long kind = 0;
        if (!IsMissing(range) && !NumberArgument(range, kind)) return mismatch(2);
        if (kind == 0) return S_OK;  // wdPrintAllDocument
        if (kind != 3) return invalid(L"officesim prints the whole document or From-To (Range " + std::to_wstring(kind) + L")", E_INVALIDARG);
        for (size_t i : {size_t(4), size_t(5)}) {
            const VARIANT& page = Value(args[i]);
            if (IsMissing(page)) continue;
            long number = 0;
            if (page.vt != VT_BSTR) return mismatch(i);
            if (!PageNumberText(page, number) || number < 1)
                return invalid(L"\"" + std::wstring(page.bstrVal ? page.bstrVal : L"") + L"\"", E_INVALIDARG);
            (i == 4 ? from : to) = number;
        }
        break;
    }
    case Family::Excel:
        for (size_t i : {size_t(0), size_t(1)}) {
            const VARIANT& page = Value(args[i]);
            if (IsMissing(page)) continue;
            long number = 0;
            if (!IsNumber(page) || !NumberArgument(page, number)) return mismatch(i);
            if (number < 1) return invalid(std::to_wstring(number), OfficeError(1004));
            (i == 0 ? from : to) = number;
        }
        break;
    case Family::PowerPoint:
        for (size_t i : {size_t(0), size_t(1)}) {
            const long number = args[i]->lVal;
            if (number == -1) continue;
            if (number < 1) return invalid(std::to_wstring(number), E_INVALIDARG);
            (i == 0 ? from : to) = number;
        }
        break;
    }
    if (from && to && to < from) return invalid(std::to_wstring(from) + L"-" + std::to_wstring(to), E_INVALIDARG);
    span.from = from ? int(from) : 1;
    span.to = int(to);
    return S_OK;
}

}  // namespace

HRESULT SimObject::Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr, Invocation& call) {
    const Family family = CurrentRole().family;
    const Behaviour& behaviour = CurrentBehaviour();
    if (std::find(behaviour.unknownMembers.begin(), behaviour.unknownMembers.end(), id) !=
        behaviour.unknownMembers.end())
        return DISP_E_MEMBERNOTFOUND;
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

    // A document can ask for a hang in its own Open, so its traits are read first.
    if (member->action == Action::Open) {
        const VARIANT& name = Value(args[member->pathArg]);
        if (name.vt == VT_BSTR && name.bstrVal) {
            std::wstring path = name.bstrVal;
            TakePasswordForm(path);
            Traits traits = ReadTraits(path);
            auto& hangs = State().hangs;
            hangs.insert(hangs.end(), traits.hangs.begin(), traits.hangs.end());
        }
    }

    if (Named(behaviour.crashAt, *member)) {
        call.fields[5] = L"crash";
        AppendLogLine(call.fields);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    std::vector<HangSpec> hangs = State().hangs;
    hangs.push_back(behaviour.hangAt);
    for (const HangSpec& hang : hangs) {
        if (!Named(hang.member, *member)) continue;
        // Stops answering: no work, no CPU; with a window of no known kind, or with none.
        call.fields[5] = hang.dialog ? L"hang:dialog" : L"hang";
        AppendLogLine(call.fields);
        call.logged = true;
        if (hang.dialog) ShowPrompt(PromptKind::Unknown, path_);
        for (;;) Sleep(INFINITE);
    }
    return Run(*member, args, result, excep, argErr, call);
}

namespace {

// Logs the call as waiting in the prompt, then shows it.
INT_PTR Prompt(PromptKind kind, const std::wstring& document, std::vector<std::wstring>& fields, bool& logged,
               std::wstring* entered = nullptr) {
    if (!logged) {
        fields[5] = std::wstring(L"prompt:") + PromptName(kind);
        AppendLogLine(fields);
        logged = true;
    }
    return ShowPrompt(kind, document, entered);
}

}  // namespace

HRESULT SimObject::Run(const Member& member, const std::vector<VARIANT*>& args, VARIANT* result,
                       EXCEPINFO* excep, UINT* argErr, Invocation& call) {
    const Behaviour& behaviour = CurrentBehaviour();
    const Family family = CurrentRole().family;
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

    case Action::Open:
        return Open(member, args, result, excep, argErr, call);

    case Action::PrintOut:
        return PrintOut(member, args, excep, argErr, call);

    case Action::Close: {
        if (!open_) return Raise(excep, L"The document has already been closed.", E_FAIL);
        if (family == Family::Word && changed_ && WordPromptsToSave(Value(args[0])) &&
            !AskToSave({this}, call))
            return Raise(excep, L"Command failed: closing was cancelled.", OfficeError(4198));
        // PowerPoint closes without asking; a print still spooling in the background is lost.
        StopSpooling();
        open_ = false;
        if (collection_) collection_->Detach(this);  // may be this object's last reference
        return S_OK;
    }

    case Action::Count:
        if (result) {
            result->vt = VT_I4;
            result->lVal = long(documents_.size()) + (UserDocumentOpen() ? 1 : 0);
        }
        return S_OK;

    case Action::Hwnd:
        if (result) {
            result->vt = VT_I4;
            result->lVal = long(reinterpret_cast<INT_PTR>(MainWindow()));
        }
        return S_OK;

    case Action::CloseAll: {
        if (family == Family::Excel && SettingValue(L"DisplayAlerts") && !AskToSave(documents_, call))
            return Raise(excep, L"Closing was cancelled.", OfficeError(1004));
        if (UserDocumentOpen()) DiscardUserDocument(call.fields);
        std::vector<SimObject*> documents;
        documents.swap(documents_);
        for (SimObject* document : documents) {
            document->StopSpooling();
            document->open_ = false;
            document->collection_ = nullptr;
            document->Release();
        }
        return S_OK;
    }

    case Action::Quit: {
        std::vector<SimObject*> documents = OpenDocuments();
        bool ask = (family == Family::Word && WordPromptsToSave(Value(args[0]))) ||
                   (family == Family::Excel && SettingValue(L"DisplayAlerts"));
        if (ask && !AskToSave(documents, call))
            return Raise(excep, L"Quitting was cancelled.", family == Family::Word ? OfficeError(4198) : OfficeError(1004));
        for (SimObject* document : documents) document->StopSpooling();
        if (UserDocumentOpen()) DiscardUserDocument(call.fields);
        QuitRequested();
        return S_OK;
    }

    case Action::Accept:
        return S_OK;

    case Action::Setting: {
        const Member* put = FindMember(ObjectKind::Application, member.name, DISPATCH_PROPERTYPUT);
        const bool boolean = put && put->params.size() == 1 && put->params[0] == Param::Bool;
        if (member.kind == DISPATCH_PROPERTYGET) {
            if (result) {
                long value = SettingValue(member.name);
                if (boolean) {
                    result->vt = VT_BOOL;
                    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
                } else {
                    result->vt = VT_I4;
                    result->lVal = value;
                }
            }
            return S_OK;
        }
        long value = boolean ? args[0]->boolVal : args[0]->lVal;
        if (!member.allowed.empty() &&
            std::find(member.allowed.begin(), member.allowed.end(), value) == member.allowed.end())
            return Raise(excep, L"Unable to set the " + std::wstring(member.name) + L" property to " +
                                    std::to_wstring(value) + L".",
                         family == Family::Excel ? OfficeError(1004) : E_INVALIDARG);
        State().numbers[member.name] = value;
        return S_OK;
    }

    case Action::PrintOptions: {
        if (!open_) return Raise(excep, L"The presentation has been closed.", E_FAIL);
        auto* options = new SimObject(ObjectKind::PrintOptions);
        options->owner_ = this;
        AddRef();
        ReturnObject(result, options);
        options->Release();
        return S_OK;
    }

    case Action::PrintInBackground:
        if (member.kind == DISPATCH_PROPERTYGET) {
            if (result) {
                result->vt = VT_I4;
                result->lVal = owner_->printInBackground_;
            }
            return S_OK;
        }
        if (args[0]->lVal != -1 && args[0]->lVal != 0)
            return Raise(excep, L"PrintInBackground takes msoTrue (-1) or msoFalse (0).", E_INVALIDARG);
        owner_->printInBackground_ = args[0]->lVal;
        return S_OK;

    case Action::ActivePrinter:
        if (member.kind == DISPATCH_PROPERTYGET) {
            if (result) {
                result->vt = VT_BSTR;
                result->bstrVal = SysAllocString(
                    (owner_->activePrinter_.empty() ? StartPrinter() : owner_->activePrinter_).c_str());
            }
            return S_OK;
        } else {
            std::wstring name = args[0]->bstrVal ? args[0]->bstrVal : L"";
            HANDLE printer = nullptr;
            if (name.empty() || !OpenPrinterW(name.data(), &printer, nullptr))
                return Raise(excep, L"No such printer: " + name, E_INVALIDARG);
            ClosePrinter(printer);
            owner_->activePrinter_ = name;
            PrinterSettingsAtSelection(name);
            return S_OK;
        }
    }
    return E_UNEXPECTED;
}

HRESULT SimObject::Open(const Member& member, const std::vector<VARIANT*>& args, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr, Invocation& call) {
    const Behaviour& behaviour = CurrentBehaviour();
    const Family family = CurrentRole().family;
    const VARIANT& name = Value(args[member.pathArg]);
    if (name.vt != VT_BSTR) {
        if (argErr) *argErr = UINT(args.size() - 1 - member.pathArg);
        return DISP_E_TYPEMISMATCH;
    }
    std::wstring path = name.bstrVal ? name.bstrVal : L"";
    const std::optional<std::wstring> taken = TakePasswordForm(path);
    const std::wstring formPassword = taken.value_or(L"");
    const bool passwordForm = taken.has_value();
    if (!behaviour.failOpenMarker.empty() && path.find(behaviour.failOpenMarker) != std::wstring::npos)
        return Raise(excep, L"Cannot open " + path + L" (asked to fail).", E_FAIL);
    // Really open it: a missing or unreadable file fails here, as with the real servers.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return Raise(excep, L"Cannot open " + path + L": " + SystemMessage(error), HRESULT_FROM_WIN32(error));
    }
    char probe[512];
    DWORD read = 0;
    BOOL readable = ReadFile(file, probe, sizeof(probe), &read, nullptr);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!readable)
        return Raise(excep, L"Cannot read " + path + L": " + SystemMessage(error), HRESULT_FROM_WIN32(error));
    Traits traits = ReadTraits(path);

    // Passwords: Word's PasswordDocument (5) and WritePasswordDocument (8), Excel's Password (5)
    // and WriteResPassword (6). A missing one is asked for; PowerPoint has no such parameter.
    const int passwordArg = family == Family::PowerPoint ? -1 : 4;
    const int writePasswordArg = family == Family::Word ? 7 : family == Family::Excel ? 5 : -1;
    struct Lock {
        bool needed;
        const std::wstring& password;
        int arg;
        PromptKind prompt;
    };
    const Lock locks[] = {{traits.hasPassword, traits.password, passwordArg, PromptKind::Password},
                          {traits.hasWritePassword, traits.writePassword, writePasswordArg, PromptKind::WritePassword}};
    if (passwordForm && traits.hasPassword && formPassword != traits.password)
        return Raise(excep, L"密码不正确: the password is incorrect, cannot open " + path + L".", PasswordError());
    for (const Lock& lock : locks) {
        if (!lock.needed) continue;
        if (passwordForm && lock.prompt == PromptKind::Password) continue;
        std::wstring given;
        if (lock.arg < 0 || IsMissing(Value(args[lock.arg]))) {
            INT_PTR answer = Prompt(lock.prompt, path, call.fields, call.logged, &given);
            if (answer == IDIGNORE) continue;  // opened read-only
            if (answer != IDOK) return Raise(excep, L"Opening " + path + L" was cancelled.", PasswordError());
        } else if (!TextArgument(Value(args[lock.arg]), given)) {
            if (argErr) *argErr = UINT(args.size() - 1 - lock.arg);
            return DISP_E_TYPEMISMATCH;
        }
        if (given != lock.password)
            return Raise(excep, L"The password is incorrect: cannot open " + path + L".", PasswordError());
    }

    // Excel asks about external links unless told how (UpdateLinks, position 2) or told not to ask.
    if (traits.links && family == Family::Excel && IsMissing(Value(args[1])) && SettingValue(L"DisplayAlerts") &&
        SettingValue(L"AskToUpdateLinks"))
        Prompt(PromptKind::Links, path, call.fields, call.logged);

    // Word asks for the encoding of a text file unless NoEncodingDialog (15) is true; Excel asks
    // about a read-only recommendation unless IgnoreReadOnlyRecommended (7) is true, and about a
    // file in use unless Notify (11) is false.
    auto isTrue = [&](int arg) {
        long v = 0;
        return !IsMissing(Value(args[arg])) && NumberArgument(Value(args[arg]), v) && v != 0;
    };
    auto isFalse = [&](int arg) {
        long v = 1;
        return !IsMissing(Value(args[arg])) && NumberArgument(Value(args[arg]), v) && v == 0;
    };
    if (traits.encoding && family == Family::Word && !isTrue(14))
        Prompt(PromptKind::Encoding, path, call.fields, call.logged);
    if (traits.readOnlyRecommended && family == Family::Excel && !isTrue(6))
        Prompt(PromptKind::ReadOnly, path, call.fields, call.logged);
    if (traits.notify && family == Family::Excel && !isFalse(10))
        Prompt(PromptKind::Notify, path, call.fields, call.logged);

    // A server that brings helpers up once it runs (a print or cloud helper) starts its first here.
    StartHelper();

    // The user opens a document of their own meanwhile, and it lands in this process.
    if ((traits.userDocument || (behaviour.userDocument && !State().userDocumentSeen)) && !UserDocumentOpen()) {
        State().userDocumentSeen = true;
        OpenUserDocument();
    }

    auto* document = new SimObject(ObjectKind::Document, path);
    document->traits_ = traits;
    document->collection_ = this;
    documents_.push_back(document);  // the collection's reference
    // The document's auto-run macro, unless macros were disabled before Open (or, in Excel,
    // events, which its open macro is).
    bool macrosOff = SettingValue(L"AutomationSecurity") == 3 ||
                     (family == Family::Excel && !SettingValue(L"EnableEvents"));
    if (traits.macro && !macrosOff) Prompt(PromptKind::Macro, path, call.fields, call.logged);
    ReturnObject(result, document);
    return S_OK;
}

HRESULT SimObject::PrintOut(const Member& member, const std::vector<VARIANT*>& args, EXCEPINFO* excep,
                            UINT* argErr, Invocation&) {
    if (!open_) return Raise(excep, L"The document has been closed.", E_FAIL);
    const VARIANT& value = Value(args[member.copiesArg]);
    long copies = 1;
    if (!IsMissing(value) && !NumberArgument(value, copies)) {
        if (argErr) *argErr = UINT(args.size() - 1 - member.copiesArg);
        return DISP_E_TYPEMISMATCH;
    }
    if (copies < 1 || copies > 32767)
        return Raise(excep, L"Copies out of range: " + std::to_wstring(copies), E_INVALIDARG);
    PageSpan span;
    if (HRESULT hr = RequestedPages(args, excep, argErr, span); hr != S_OK) return hr;
    if (CurrentBehaviour().failPrintOut) return Raise(excep, L"Printing failed (asked to fail).", E_FAIL);
    // The user opens a document of their own while this one prints, and it lands here too.
    if (traits_.userDocumentAtPrint && !UserDocumentOpen()) OpenUserDocument();
    // The helper renders the pages; the server waits for it, working no more than a person would.
    WaitForHelper();

    PrintRequest request;
    request.path = path_;
    request.progId = CurrentRole().progId;
    request.copies = int(copies);
    request.pages = traits_.pages ? traits_.pages : 1;
    request.from = span.from;
    request.to = span.to;
    // PowerPoint prints on its own printer: the one put in PrintOptions, or the one that was
    // the system default when the application started.
    const bool presentation = CurrentRole().family == Family::PowerPoint;
    if (presentation) request.printer = activePrinter_.empty() ? StartPrinter() : activePrinter_;
    request.settings = PrinterSettingsAtSelection(request.printer.empty() ? DefaultPrinterName() : request.printer);

    std::wstring error;
    PrintResult printed;
    if (traits_.printMs) {
        // A long print that keeps working, with its progress window.
        PrintProgress progress(path_);
        request.durationMs = traits_.printMs;
        if (!traits_.pages) request.pages = int((traits_.printMs + 999) / 1000);
        request.busy = true;
        request.onPage = [&progress](int page, int pages) {
            progress.Page(page, pages);
            return progress.Pump();
        };
        printed = PrintDocument(request, error);
    } else if (presentation && traits_.spoolMs) {
        request.durationMs = traits_.spoolMs;
        if (!traits_.pages) request.pages = int((traits_.spoolMs + 999) / 1000);
        StopSpooling();  // one job at a time per presentation
        spoolCancel_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        request.cancel = spoolCancel_;
        if (printInBackground_ != 0) {
            // Returns at once; the job is still spooling when the caller goes on.
            spooler_ = std::thread([request] {
                std::wstring ignored;
                PrintDocument(request, ignored);
            });
            if (traits_.fields) changed_ = true;
            return S_OK;
        }
        printed = PrintDocument(request, error);
    } else {
        printed = PrintDocument(request, error);
    }
    if (printed == PrintResult::Cancelled) return Raise(excep, L"Printing " + path_ + L" was cancelled.", E_ABORT);
    if (printed == PrintResult::Failed) return Raise(excep, L"Cannot print " + path_ + L": " + error, E_FAIL);
    if (traits_.fields) changed_ = true;
    return S_OK;
}

bool SimObject::AskToSave(const std::vector<SimObject*>& documents, Invocation& call) {
    for (SimObject* document : documents) {
        if (!document->changed_) continue;
        // Saving or not saving both let the close go on; only Cancel stops it.
        if (Prompt(PromptKind::Save, document->path_, call.fields, call.logged) == IDCANCEL) return false;
        document->changed_ = false;
    }
    return true;
}

std::vector<SimObject*> SimObject::OpenDocuments() const {
    if (kind_ == ObjectKind::Application) return collection_ ? collection_->documents_ : std::vector<SimObject*>{};
    return documents_;
}

void SimObject::StopSpooling() {
    if (spoolCancel_) SetEvent(spoolCancel_);
    if (spooler_.joinable()) spooler_.join();
    if (spoolCancel_) CloseHandle(spoolCancel_);
    spoolCancel_ = nullptr;
}

void SimObject::Detach(SimObject* document) {
    auto it = std::find(documents_.begin(), documents_.end(), document);
    if (it == documents_.end()) return;
    documents_.erase(it);
    document->collection_ = nullptr;
    document->Release();
}

}  // namespace officesim
