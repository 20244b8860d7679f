#include "recording.h"

#include <algorithm>
#include <map>

#include "common/resource.h"

namespace ui_test {

COLORREF Capture::At(int x, int y) const {
    DWORD p = pixels[static_cast<size_t>(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Capture::Count(const RECT& rect, COLORREF colour) const {
    int n = 0;
    for (int y = std::max<int>(0, rect.top); y < std::min<int>(height, rect.bottom); ++y)
        for (int x = std::max<int>(0, rect.left); x < std::min<int>(width, rect.right); ++x)
            if (At(x, y) == colour) ++n;
    return n;
}

namespace {
struct Dib {
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    Dib(HDC dc, int w, int h) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    ~Dib() { ::DeleteObject(bitmap); }
};

Capture FromDib(const Dib& dib, int w, int h) {
    Capture c;
    c.width = w;
    c.height = h;
    c.pixels.assign(static_cast<const DWORD*>(dib.bits), static_cast<const DWORD*>(dib.bits) + w * h);
    return c;
}

// Runs `draw` on a memory DC holding a w x h DIB and returns the DIB's pixels.
template <typename Draw>
Capture DrawIntoDib(HWND hwnd, int w, int h, Draw draw) {
    HDC windowDc = ::GetDC(hwnd);
    HDC memory = ::CreateCompatibleDC(windowDc);
    Dib dib(windowDc, w, h);
    HGDIOBJ old = ::SelectObject(memory, dib.bitmap);
    draw(memory, windowDc);
    ::GdiFlush();
    Capture c = FromDib(dib, w, h);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(hwnd, windowDc);
    return c;
}
}  // namespace

Capture CaptureErase(HWND hwnd) {
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    return DrawIntoDib(hwnd, rc.right, rc.bottom, [&](HDC memory, HDC) {
        ::SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    });
}

Capture CaptureScreen(HWND hwnd) {
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    return DrawIntoDib(hwnd, rc.right, rc.bottom, [&](HDC memory, HDC windowDc) {
        ::BitBlt(memory, 0, 0, rc.right, rc.bottom, windowDc, 0, 0, SRCCOPY);
    });
}

Capture LoadLogo() {
    HBITMAP logo = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO));
    BITMAP info{};
    ::GetObjectW(logo, sizeof(info), &info);
    Capture c = DrawIntoDib(nullptr, info.bmWidth, info.bmHeight, [&](HDC memory, HDC) {
        HDC source = ::CreateCompatibleDC(memory);
        HGDIOBJ old = ::SelectObject(source, logo);
        ::BitBlt(memory, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        ::SelectObject(source, old);
        ::DeleteDC(source);
    });
    ::DeleteObject(logo);
    return c;
}

Recording RecordErase(HWND hwnd) {
    HDC reference = ::GetDC(hwnd);
    HDC emf = ::CreateEnhMetaFileW(reference, nullptr, nullptr, nullptr);
    ::SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(emf), 0);
    HENHMETAFILE meta = ::CloseEnhMetaFile(emf);
    ::ReleaseDC(hwnd, reference);

    std::vector<BYTE> bytes(::GetEnhMetaFileBits(meta, 0, nullptr));
    ::GetEnhMetaFileBits(meta, static_cast<UINT>(bytes.size()), bytes.data());
    ::DeleteEnhMetaFile(meta);

    Recording r;
    std::map<DWORD, LOGFONTW> fonts;
    LOGFONTW font{};
    bool stockFont = true;
    COLORREF colour = 0, background = RGB(255, 255, 255);
    int mode = OPAQUE, stretch = 0;
    for (size_t at = 0; at + sizeof(EMR) <= bytes.size();) {
        const BYTE* rec = bytes.data() + at;
        const EMR* emr = reinterpret_cast<const EMR*>(rec);
        if (emr->nSize < sizeof(EMR)) break;
        switch (emr->iType) {
        case EMR_EXTCREATEFONTINDIRECTW: {
            auto* f = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(rec);
            fonts[f->ihFont] = f->elfw.elfLogFont;
            ++r.objectsCreated;
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: case EMR_CREATEPEN: case EMR_CREATEDIBPATTERNBRUSHPT:
            ++r.objectsCreated;
            break;
        case EMR_DELETEOBJECT: ++r.objectsDeleted; break;
        case EMR_SELECTOBJECT: {
            DWORD ih = reinterpret_cast<const EMRSELECTOBJECT*>(rec)->ihObject;
            if (ih & 0x80000000) {
                DWORD stock = ih & 0x7FFFFFFF;
                if (stock == SYSTEM_FONT || stock == DEFAULT_GUI_FONT || stock == ANSI_VAR_FONT ||
                    stock == ANSI_FIXED_FONT || stock == OEM_FIXED_FONT || stock == DEVICE_DEFAULT_FONT ||
                    stock == SYSTEM_FIXED_FONT) {
                    stockFont = true;
                    font = {};
                }
            } else if (auto it = fonts.find(ih); it != fonts.end()) {
                stockFont = false;
                font = it->second;
            }
            break;
        }
        case EMR_SETTEXTCOLOR: colour = reinterpret_cast<const EMRSETTEXTCOLOR*>(rec)->crColor; break;
        case EMR_SETBKCOLOR: background = reinterpret_cast<const EMRSETBKCOLOR*>(rec)->crColor; break;
        case EMR_SETBKMODE: mode = static_cast<int>(reinterpret_cast<const EMRSETBKMODE*>(rec)->iMode); break;
        case EMR_SETSTRETCHBLTMODE:
            stretch = static_cast<int>(reinterpret_cast<const EMRSETSTRETCHBLTMODE*>(rec)->iMode);
            break;
        case EMR_EXTTEXTOUTW: {
            auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(rec);
            DrawnText out;
            const auto* chars = reinterpret_cast<const wchar_t*>(rec + t->emrtext.offString);
            out.text.assign(chars, t->emrtext.nChars);
            out.at = {t->emrtext.ptlReference.x, t->emrtext.ptlReference.y};
            out.colour = colour;
            out.background = background;
            out.backgroundMode = mode;
            out.options = t->emrtext.fOptions;
            out.clip = {t->emrtext.rcl.left, t->emrtext.rcl.top, t->emrtext.rcl.right, t->emrtext.rcl.bottom};
            out.font = font;
            out.stockFont = stockFont;
            r.texts.push_back(out);
            break;
        }
        case EMR_BITBLT: {
            auto* b = reinterpret_cast<const EMRBITBLT*>(rec);
            r.blits.push_back({{b->xDest, b->yDest, b->cxDest, b->cyDest}, b->dwRop, stretch});
            break;
        }
        case EMR_STRETCHBLT: {
            auto* b = reinterpret_cast<const EMRSTRETCHBLT*>(rec);
            r.blits.push_back({{b->xDest, b->yDest, b->cxDest, b->cyDest}, b->dwRop, stretch});
            break;
        }
        default: break;
        }
        at += emr->nSize;
    }
    r.fontRestored = stockFont;
    return r;
}

}  // namespace ui_test
