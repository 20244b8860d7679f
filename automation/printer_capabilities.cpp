#include "automation/printer_capabilities.h"

#include <windows.h>

PrinterCapabilities ReadPrinterCapabilities(const std::wstring& printer) {
    PrinterCapabilities capabilities;
    if (printer.empty()) return capabilities;
    // 1 for yes; 0 for no, and -1 when the driver cannot be asked.
    capabilities.duplex = ::DeviceCapabilitiesW(printer.c_str(), nullptr, DC_DUPLEX, nullptr, nullptr) == 1;
    capabilities.color = ::DeviceCapabilitiesW(printer.c_str(), nullptr, DC_COLORDEVICE, nullptr, nullptr) == 1;
    return capabilities;
}

bool CanPrintAsAsked(const PrinterCapabilities& capabilities, const PrintOptions& options) {
    const bool twoSided = options.duplex == Duplex::LongEdge || options.duplex == Duplex::ShortEdge;
    if (twoSided && !capabilities.duplex) return false;
    if (options.color == ColorMode::Color && !capabilities.color) return false;
    return true;
}
