#include "support/dialog_template.h"

namespace testing_ui {
namespace {

struct Reader {
    const BYTE* p;
    template <typename T> T Get() {
        T v;
        memcpy(&v, p, sizeof(T));
        p += sizeof(T);
        return v;
    }
    std::wstring String() {
        std::wstring s;
        for (WORD c; (c = Get<WORD>()) != 0;) s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    // A name or ordinal: 0 (none), 0xFFFF followed by an ordinal, or a string.
    std::wstring NameOrOrdinal() {
        WORD first;
        memcpy(&first, p, sizeof(first));
        if (first == 0) { p += 2; return {}; }
        if (first == 0xFFFF) {
            p += 2;
            switch (Get<WORD>()) {
            case 0x80: return L"Button";
            case 0x81: return L"Edit";
            case 0x82: return L"Static";
            case 0x83: return L"ListBox";
            case 0x84: return L"ScrollBar";
            case 0x85: return L"ComboBox";
            default: return L"#ordinal";
            }
        }
        return String();
    }
    void AlignDword(const BYTE* base) {
        while ((p - base) % 4) ++p;
    }
};

}  // namespace

DialogTemplate LoadDialogTemplate(UINT id) {
    DialogTemplate t;
    HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    if (!res) return t;
    const BYTE* base = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, res)));
    Reader r{base};
    if (r.Get<WORD>() != 1 || r.Get<WORD>() != 0xFFFF) return t;
    r.Get<DWORD>();  // help id
    t.exStyle = r.Get<DWORD>();
    t.style = r.Get<DWORD>();
    WORD count = r.Get<WORD>();
    t.x = r.Get<short>(); t.y = r.Get<short>(); t.cx = r.Get<short>(); t.cy = r.Get<short>();
    r.NameOrOrdinal();  // menu
    r.NameOrOrdinal();  // class
    t.caption = r.String();
    if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
        t.pointSize = r.Get<WORD>();
        t.weight = r.Get<WORD>();
        t.italic = r.Get<BYTE>();
        t.charset = r.Get<BYTE>();
        t.typeface = r.String();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword(base);
        TemplateItem item;
        r.Get<DWORD>();  // help id
        item.exStyle = r.Get<DWORD>();
        item.style = r.Get<DWORD>();
        item.x = r.Get<short>(); item.y = r.Get<short>(); item.cx = r.Get<short>(); item.cy = r.Get<short>();
        item.id = r.Get<DWORD>();
        item.windowClass = r.NameOrOrdinal();
        item.title = r.NameOrOrdinal();
        WORD extra = r.Get<WORD>();
        r.p += extra;
        t.items.push_back(item);
    }
    return t;
}

}  // namespace testing_ui
