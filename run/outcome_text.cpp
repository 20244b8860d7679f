#include "run/outcome_text.h"

#include "common/texts.h"

const wchar_t* OutcomeReason(PrintOutcome outcome) {
    switch (outcome) {
    case PrintOutcome::Printed: return L"";
    case PrintOutcome::NotADocument: return texts::kReasonNotADocument;
    case PrintOutcome::FileUnreadable: return texts::kReasonFileUnreadable;
    case PrintOutcome::PrinterUnavailable: return texts::kReasonPrinterUnavailable;
    case PrintOutcome::PrinterSettingsUnavailable: return texts::kReasonPrinterSettingsUnavailable;
    case PrintOutcome::ServerCannotStart: return texts::kReasonServerCannotStart;
    case PrintOutcome::VersionTooOld: return texts::kReasonVersionTooOld;
    case PrintOutcome::NeedsPassword: return texts::kReasonNeedsPassword;
    case PrintOutcome::ServerNotAnswering: return texts::kReasonServerNotAnswering;
    case PrintOutcome::ServerNotAnsweringInUse: return texts::kReasonServerNotAnsweringInUse;
    case PrintOutcome::ServerStuckAtStart: return texts::kReasonServerStuckAtStart;
    case PrintOutcome::Stopped: return texts::kReasonStopped;
    case PrintOutcome::Failed: return texts::kReasonFailed;
    }
    return texts::kReasonFailed;
}

std::wstring ServerStartFailureText(DocumentKind kind, std::int32_t suite, PrintOutcome outcome) {
    const bool ms = suite == kSuiteMsOffice;
    std::wstring text;
    switch (kind) {
    case DocumentKind::Word: text = ms ? texts::kCannotStartMsWord : texts::kCannotStartWpsWord; break;
    case DocumentKind::Excel: text = ms ? texts::kCannotStartMsExcel : texts::kCannotStartWpsExcel; break;
    case DocumentKind::PowerPoint: text = ms ? texts::kCannotStartMsPpt : texts::kCannotStartWpsPpt; break;
    }
    if (outcome == PrintOutcome::ServerStuckAtStart) text += std::wstring(L"\n") + texts::kReasonServerStuckAtStart;
    return text;
}

const wchar_t* DuplexName(Duplex duplex) {
    switch (duplex) {
        case Duplex::OneSided: return texts::kDuplexOneSided;
        case Duplex::LongEdge: return texts::kDuplexLongEdge;
        case Duplex::ShortEdge: return texts::kDuplexShortEdge;
        case Duplex::PrinterDefault: break;
    }
    return texts::kPrinterDefaultSetting;
}

const wchar_t* ColorName(ColorMode color) {
    switch (color) {
        case ColorMode::Color: return texts::kColorColor;
        case ColorMode::Mono: return texts::kColorMono;
        case ColorMode::PrinterDefault: break;
    }
    return texts::kPrinterDefaultSetting;
}

std::wstring PageRangeText(const PageRange& pages) {
    if (pages.All()) return texts::kAllPages;
    if (pages.from == pages.to) return std::to_wstring(pages.from);
    return std::to_wstring(pages.from) + L"-" + std::to_wstring(pages.to);
}
