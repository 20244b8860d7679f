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
        {Word, Collection, 2, kGet, L"Count", {}, Action::Count},
        // MsoAutomationSecurity: Low 1 (macros run, the start value under automation), ByUI 2, ForceDisable 3.
        {Word, Application, 449, kGet, L"AutomationSecurity", {}, Action::Setting, -1, -1, 1},
        {Word, Application, 449, kPut, L"AutomationSecurity", {I4}, Action::Setting, -1, -1, 1, {1, 2, 3}},
        // WdAlertLevel: All -1, MessageBox -2, None 0.
        {Word, Application, 94, kGet, L"DisplayAlerts", {}, Action::Setting, -1, -1, -1},
        {Word, Application, 94, kPut, L"DisplayAlerts", {I4}, Action::Setting, -1, -1, -1, {-1, -2, 0}},
        // Excel and WPS Spreadsheets
        {Excel, Application, 392, kGet, L"Version", {}, Action::Version},
        {Excel, Application, 558, kPut, L"Visible", {Bool}, Action::Accept},
        {Excel, Application, 1210, kPut, L"UserControl", {Bool}, Action::Accept},
        {Excel, Application, 572, kGet, L"Workbooks", {}, Action::Collection},
        // XlCalculation: Automatic -4105, Manual -4135, Semiautomatic 2; 0 is none of them.
        {Excel, Application, 316, kGet, L"Calculation", {}, Action::Setting, -1, -1, -4105},
        {Excel, Application, 316, kPut, L"Calculation", {I4}, Action::Setting, -1, -1, -4105, {-4105, -4135, 2}},
        {Excel, Application, 315, kPut, L"CalculateBeforeSave", {Bool}, Action::Accept},
        {Excel, Application, 343, kGet, L"DisplayAlerts", {}, Action::Setting, -1, -1, VARIANT_TRUE},
        {Excel, Application, 343, kPut, L"DisplayAlerts", {Bool}, Action::Setting, -1, -1, VARIANT_TRUE},
        {Excel, Application, 1941, kGet, L"AutomationSecurity", {}, Action::Setting, -1, -1, 1},
        {Excel, Application, 1941, kPut, L"AutomationSecurity", {I4}, Action::Setting, -1, -1, 1, {1, 2, 3}},
        {Excel, Application, 992, kGet, L"AskToUpdateLinks", {}, Action::Setting, -1, -1, VARIANT_TRUE},
        {Excel, Application, 992, kPut, L"AskToUpdateLinks", {Bool}, Action::Setting, -1, -1, VARIANT_TRUE},
        {Excel, Application, 1212, kGet, L"EnableEvents", {}, Action::Setting, -1, -1, VARIANT_TRUE},
        {Excel, Application, 1212, kPut, L"EnableEvents", {Bool}, Action::Setting, -1, -1, VARIANT_TRUE},
        {Excel, Application, 302, kMethod, L"Quit", {}, Action::Quit},
        {Excel, Collection, 1923, kMethod, L"Open", Then({Bstr}, Repeat(Variant, 14)), Action::Open, 0},
        {Excel, Collection, 277, kMethod, L"Close", {}, Action::CloseAll},
        {Excel, Collection, 118, kGet, L"Count", {}, Action::Count},
        // Workbook.Close(SaveChanges): that workbook only.
        {Excel, Document, 277, kMethod, L"Close", {Variant}, Action::Close},
        {Excel, Application, 1950, kGet, L"Hwnd", {}, Action::Hwnd},
        {Excel, Document, 2361, kMethod, L"PrintOut", Repeat(Variant, 9), Action::PrintOut, -1, 2},
        // PowerPoint and WPS Presentation
        {PowerPoint, Application, 2001, kGet, L"Presentations", {}, Action::Collection},
        {PowerPoint, Application, 2021, kMethod, L"Quit", {}, Action::Quit},
        {PowerPoint, Collection, 2005, kMethod, L"Open", {Bstr, I4, I4, I4}, Action::Open, 0},
        {PowerPoint, Document, 2034, kMethod, L"PrintOut", {I4, I4, Bstr, I4, I4}, Action::PrintOut, -1, 3},
        {PowerPoint, Document, 2039, kMethod, L"Close", {}, Action::Close},
        {PowerPoint, Collection, 11, kGet, L"Count", {}, Action::Count},
        {PowerPoint, Application, 2031, kGet, L"HWND", {}, Action::Hwnd},
        {PowerPoint, Application, 2047, kGet, L"AutomationSecurity", {}, Action::Setting, -1, -1, 1},
        {PowerPoint, Application, 2047, kPut, L"AutomationSecurity", {I4}, Action::Setting, -1, -1, 1, {1, 2, 3}},
        // PpAlertLevel: None 1, All 2 (not a boolean).
        {PowerPoint, Application, 2049, kGet, L"DisplayAlerts", {}, Action::Setting, -1, -1, 2},
        {PowerPoint, Application, 2049, kPut, L"DisplayAlerts", {I4}, Action::Setting, -1, -1, 2, {1, 2}},
        {PowerPoint, Document, 2033, kGet, L"PrintOptions", {}, Action::PrintOptions},
        // MsoTriState: True -1, False 0.
        {PowerPoint, PrintOptions, 2010, kGet, L"PrintInBackground", {}, Action::PrintInBackground},
        {PowerPoint, PrintOptions, 2010, kPut, L"PrintInBackground", {I4}, Action::PrintInBackground},
        {PowerPoint, PrintOptions, 2015, kGet, L"ActivePrinter", {}, Action::ActivePrinter},
        {PowerPoint, PrintOptions, 2015, kPut, L"ActivePrinter", {Bstr}, Action::ActivePrinter},
    };
    return members;
}

const wchar_t* ObjectName(Family family, ObjectKind object) {
    static const wchar_t* const names[3][4] = {
        {L"Application", L"Documents", L"Document", L"PrintOptions"},
        {L"Application", L"Workbooks", L"Workbook", L"PrintOptions"},
        {L"Application", L"Presentations", L"Presentation", L"PrintOptions"},
    };
    return names[static_cast<int>(family)][static_cast<int>(object)];
}

}  // namespace officesim
