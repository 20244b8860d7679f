#include "support/printer_settings.h"

#include <gtest/gtest.h>
#include <winspool.h>

#include <utility>

#include "support/files.h"

namespace testing_printer {

std::vector<BYTE> UserSettings(const std::wstring& printer) {
    std::wstring name = printer;
    HANDLE handle = nullptr;
    if (!::OpenPrinterW(name.data(), &handle, nullptr)) {
        ADD_FAILURE() << "cannot open the printer " << testing_files::Narrow(printer);
        return {};
    }
    DWORD needed = 0;
    ::GetPrinterW(handle, 9, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    std::vector<BYTE> settings;
    if (needed && ::GetPrinterW(handle, 9, buffer.data(), needed, &needed)) {
        if (const DEVMODEW* dm = reinterpret_cast<const PRINTER_INFO_9W*>(buffer.data())->pDevMode) {
            const BYTE* first = reinterpret_cast<const BYTE*>(dm);
            settings.assign(first, first + dm->dmSize + dm->dmDriverExtra);
        }
    }
    ::ClosePrinter(handle);
    if (settings.size() >= sizeof(DEVMODEW)) {
        auto* dm = reinterpret_cast<DEVMODEW*>(settings.data());
        for (WCHAR* name : {dm->dmDeviceName, dm->dmFormName}) {
            size_t end = 0;
            while (end < CCHDEVICENAME && name[end]) ++end;
            for (; end < CCHDEVICENAME; ++end) name[end] = 0;
        }
    }
    return settings;
}

std::vector<BYTE> KeptSettings(const std::wstring& printer) {
    const std::wstring key = L"System\\CurrentControlSet\\Control\\Print\\Printers\\" + printer;
    DWORD size = 0;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Default DevMode", RRF_RT_REG_BINARY, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return {};
    std::vector<BYTE> kept(size);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Default DevMode", RRF_RT_REG_BINARY, nullptr, kept.data(),
                       &size) != ERROR_SUCCESS)
        return {};
    kept.resize(size);
    return kept;
}

void SetUserSettings(const std::wstring& printer, std::vector<BYTE> settings) {
    std::wstring name = printer;
    HANDLE handle = nullptr;
    if (!::OpenPrinterW(name.data(), &handle, nullptr)) {
        ADD_FAILURE() << "cannot open the printer " << testing_files::Narrow(printer);
        return;
    }
    PRINTER_INFO_9W info{settings.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(settings.data())};
    EXPECT_TRUE(::SetPrinterW(handle, 9, reinterpret_cast<BYTE*>(&info), 0)) << "the spooler did not take the settings";
    ::ClosePrinter(handle);
}

std::vector<BYTE> With(std::vector<BYTE> settings, short duplex, short color) {
    if (settings.size() < sizeof(DEVMODEW)) {
        ADD_FAILURE() << "no DEVMODE to change";
        return settings;
    }
    auto* dm = reinterpret_cast<DEVMODEW*>(settings.data());
    dm->dmFields |= DM_DUPLEX | DM_COLOR;
    dm->dmDuplex = duplex;
    dm->dmColor = color;
    return settings;
}

SettingsScope::SettingsScope(std::wstring printer) : m_printer(std::move(printer)), m_found(UserSettings(m_printer)) {}

SettingsScope::~SettingsScope() { SetUserSettings(m_printer, m_found); }

}  // namespace testing_printer
