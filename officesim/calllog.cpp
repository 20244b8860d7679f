#include "officesim/calllog.h"

#include <winspool.h>

#include <cwchar>

#include "officesim/shared.h"

namespace officesim {

namespace {

const wchar_t* TypeName(VARTYPE vt) {
    switch (vt & VT_TYPEMASK) {
    case VT_EMPTY: return L"EMPTY";
    case VT_NULL: return L"NULL";
    case VT_I2: return L"I2";
    case VT_I4: return L"I4";
    case VT_R4: return L"R4";
    case VT_R8: return L"R8";
    case VT_CY: return L"CY";
    case VT_DATE: return L"DATE";
    case VT_BSTR: return L"BSTR";
    case VT_DISPATCH: return L"DISPATCH";
    case VT_ERROR: return L"ERROR";
    case VT_BOOL: return L"BOOL";
    case VT_VARIANT: return L"VARIANT";
    case VT_UNKNOWN: return L"UNKNOWN";
    case VT_DECIMAL: return L"DECIMAL";
    case VT_I1: return L"I1";
    case VT_UI1: return L"UI1";
    case VT_UI2: return L"UI2";
    case VT_UI4: return L"UI4";
    case VT_I8: return L"I8";
    case VT_UI8: return L"UI8";
    case VT_INT: return L"INT";
    case VT_UINT: return L"UINT";
    default: return nullptr;
    }
}

std::wstring TypeText(VARTYPE vt) {
    std::wstring text = (vt & VT_ARRAY) ? L"ARRAY|" : L"";
    if (const wchar_t* name = TypeName(vt)) return text + name;
    wchar_t number[16];
    swprintf(number, 16, L"%u", unsigned(vt & VT_TYPEMASK));
    return text + number;
}

std::wstring ValueText(const VARIANT& v) {
    wchar_t buffer[32];
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL: return L"";
    case VT_BSTR: return v.bstrVal ? EscapeField(std::wstring(v.bstrVal, SysStringLen(v.bstrVal))) : L"";
    case VT_ERROR: swprintf(buffer, 32, L"0x%08lX", static_cast<unsigned long>(v.scode)); return buffer;
    case VT_BOOL: return std::to_wstring(v.boolVal);
    case VT_DISPATCH: return v.pdispVal ? L"object" : L"null";
    case VT_UNKNOWN: return v.punkVal ? L"object" : L"null";
    default: break;
    }
    if (v.vt & VT_ARRAY) return L"?";
    VARIANT text;
    VariantInit(&text);
    std::wstring result = L"?";
    if (SUCCEEDED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&v), LOCALE_INVARIANT, 0, VT_BSTR)) && text.bstrVal)
        result = EscapeField(text.bstrVal);
    VariantClear(&text);
    return result;
}

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring EscapeField(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'^') {
            out += L"^^";
        } else if (c < 0x20 || c == 0x7F) {
            out += L'^';
            out += wchar_t(c ^ 0x40);
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring FormatArgument(const VARIANT& v) {
    if (v.vt == (VT_BYREF | VT_VARIANT)) {
        if (!v.pvarVal) return L"&VARIANT=null";
        if (v.pvarVal->vt & VT_BYREF) return L"&" + TypeText(v.pvarVal->vt) + L"=?";
        return L"&" + TypeText(v.pvarVal->vt) + L"=" + ValueText(*v.pvarVal);
    }
    if (v.vt & VT_BYREF) {
        // Read the referenced value through a by-value copy of the same type.
        VARIANT value;
        VariantInit(&value);
        std::wstring text = L"?";
        if (v.byref && !(v.vt & VT_ARRAY) && SUCCEEDED(VariantCopyInd(&value, const_cast<VARIANT*>(&v))))
            text = ValueText(value);
        VariantClear(&value);
        return L"*" + TypeText(v.vt) + L"=" + text;
    }
    return TypeText(v.vt) + L"=" + ValueText(v);
}

std::wstring DefaultPrinterName() {
    wchar_t name[512];
    DWORD size = 512;
    if (!GetDefaultPrinterW(name, &size)) return L"";
    return name;
}

void AppendLogLine(const std::vector<std::wstring>& fields) {
    std::wstring line;
    for (size_t i = 0; i < fields.size(); ++i) line += (i ? L"\t" : L"") + fields[i];
    std::string bytes = Utf8(line + L"\n");

    std::wstring path = LogPath();
    CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    // Opened per line so that a test may delete the log between runs.
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace officesim
