#include "officesim/members.h"

namespace officesim {

namespace {

std::vector<Param> Repeat(Param p, size_t n) { return std::vector<Param>(n, p); }

std::vector<Param> Then(std::vector<Param> head, const std::vector<Param>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

constexpr WORD kMethod = DISPATCH_METHOD;
constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;

using enum Family;
using enum ObjectKind;
using enum Param;

}  // namespace

const std::vector<Member>& Members() {
    static const std::vector<Member> members = {
        // Word and WPS Writer
        {Word, Application, 24, kGet, L"Version", {}, Action::Version},
        {Word, Application, 6, kGet, L"Documents", {}, Action::Collection},
        {Word, Application, 1105, kMethod, L"Quit", Repeat(RefVariant, 3), Action::Quit},
        {Word, Collection, 19, kMethod, L"Open", Repeat(RefVariant, 16), Action::Open, 0},
        {Word, Document, 446, kMethod, L"PrintOut", Repeat(RefVariant, 18), Action::PrintOut, -1, 7},
        {Word, Document, 1105, kMethod, L"Close", Repeat(RefVariant, 3), Action::Close},
        // Excel and WPS Spreadsheets
        {Excel, Application, 392, kGet, L"Version", {}, Action::Version},
        {Excel, Application, 558, kPut, L"Visible", {Bool}, Action::Accept},
        {Excel, Application, 1210, kPut, L"UserControl", {Bool}, Action::Accept},
        {Excel, Application, 572, kGet, L"Workbooks", {}, Action::Collection},
        {Excel, Application, 316, kPut, L"Calculation", {I4}, Action::Accept},
        {Excel, Application, 315, kPut, L"CalculateBeforeSave", {Bool}, Action::Accept},
        {Excel, Application, 343, kPut, L"DisplayAlerts", {Bool}, Action::Accept},
        {Excel, Application, 302, kMethod, L"Quit", {}, Action::Quit},
        {Excel, Collection, 1923, kMethod, L"Open", Then({Bstr}, Repeat(Variant, 14)), Action::Open, 0},
        {Excel, Collection, 277, kMethod, L"Close", {}, Action::CloseAll},
        {Excel, Document, 2361, kMethod, L"PrintOut", Repeat(Variant, 9), Action::PrintOut, -1, 2},
        // PowerPoint and WPS Presentation
        {PowerPoint, Application, 2001, kGet, L"Presentations", {}, Action::Collection},
        {PowerPoint, Application, 2021, kMethod, L"Quit", {}, Action::Quit},
        {PowerPoint, Collection, 2005, kMethod, L"Open", {Bstr, I4, I4, I4}, Action::Open, 0},
        {PowerPoint, Document, 2034, kMethod, L"PrintOut", {I4, I4, Bstr, I4, I4}, Action::PrintOut, -1, 3},
        {PowerPoint, Document, 2039, kMethod, L"Close", {}, Action::Close},
    };
    return members;
}

const wchar_t* ObjectName(Family family, ObjectKind object) {
    static const wchar_t* const names[3][3] = {
        {L"Application", L"Documents", L"Document"},
        {L"Application", L"Workbooks", L"Workbook"},
        {L"Application", L"Presentations", L"Presentation"},
    };
    return names[static_cast<int>(family)][static_cast<int>(object)];
}

}  // namespace officesim
