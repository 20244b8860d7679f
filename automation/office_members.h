// The office servers' members the program calls, by DISPID, with the values it passes. The
// servers answer these without a type library. Sources: the published type libraries of Office
// 2007 and 2010 (Word, Excel and PowerPoint MFC and Delphi wrappers); WPS uses the same.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>

namespace office {

namespace word {
inline constexpr DISPID kVersion = 24;
inline constexpr DISPID kDocuments = 6;
inline constexpr DISPID kCount = 2;  // Documents.Count
inline constexpr DISPID kAutomationSecurity = 449;
inline constexpr DISPID kDisplayAlerts = 94;
inline constexpr DISPID kOpen = 19;
inline constexpr DISPID kPrintOut = 446;
// Document.Close and Application.Quit share one DISPID on their two interfaces.
inline constexpr DISPID kClose = 1105;
inline constexpr DISPID kQuit = 1105;
inline constexpr std::int32_t kAlertsNone = 0;          // WdAlertLevel wdAlertsNone
inline constexpr std::int32_t kDoNotSaveChanges = 0;    // WdSaveOptions wdDoNotSaveChanges
inline constexpr std::int32_t kPrintFromTo = 3;         // WdPrintOutRange wdPrintFromTo: From and To as text
inline constexpr HRESULT kPasswordIncorrect = static_cast<HRESULT>(0x800A1520);  // Word error 5408
}  // namespace word

namespace excel {
inline constexpr DISPID kVersion = 392;
inline constexpr DISPID kHwnd = 1950;  // Application.Hwnd (0x79e): the application's main window
inline constexpr DISPID kVisible = 558;
inline constexpr DISPID kUserControl = 1210;
inline constexpr DISPID kWorkbooks = 572;
inline constexpr DISPID kCount = 118;  // Workbooks.Count (0x76)
inline constexpr DISPID kAutomationSecurity = 1941;
inline constexpr DISPID kCalculation = 316;
inline constexpr DISPID kCalculateBeforeSave = 315;
inline constexpr DISPID kDisplayAlerts = 343;
inline constexpr DISPID kQuit = 302;
inline constexpr DISPID kOpen = 1923;
// Workbooks.Close closes every workbook of the server; Workbook.Close (same DISPID) that one.
inline constexpr DISPID kClose = 277;
inline constexpr DISPID kPrintOut = 2361;
inline constexpr std::int32_t kCalculationManual = -4135;  // XlCalculation xlCalculationManual
inline constexpr std::int32_t kDoNotUpdateLinks = 0;
}  // namespace excel

namespace powerpoint {
inline constexpr DISPID kHwnd = 2031;  // Application.HWND (0x7ef): the application's main window
inline constexpr DISPID kPresentations = 2001;
inline constexpr DISPID kCount = 11;  // Presentations.Count (0xb)
inline constexpr DISPID kAutomationSecurity = 2047;
inline constexpr DISPID kDisplayAlerts = 2049;
inline constexpr DISPID kQuit = 2021;
inline constexpr DISPID kOpen = 2005;
inline constexpr DISPID kPrintOptions = 2033;
inline constexpr DISPID kPrintInBackground = 2010;
inline constexpr DISPID kActivePrinter = 2015;
inline constexpr DISPID kPrintOut = 2034;
inline constexpr DISPID kClose = 2039;
inline constexpr std::int32_t kTrue = -1;  // the servers' tri-state true
inline constexpr std::int32_t kFalse = 0;
inline constexpr std::int32_t kAlertsNone = 1;  // PpAlertLevel ppAlertsNone
inline constexpr std::int32_t kWholePresentation = -1;  // PrintOut's From and To when not given
}  // namespace powerpoint

// MsoAutomationSecurity msoAutomationSecurityForceDisable: no macro of an opened file runs.
inline constexpr std::int32_t kForceDisableMacros = 3;

}  // namespace office
