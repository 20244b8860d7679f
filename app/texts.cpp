#include "app/texts.h"

std::wstring& UiFontFace() {
    static std::wstring face = texts::kDefaultFontFace;
    return face;
}
