// The record kept in the user's registry while the chosen printer stands in as the default, so
// that a start after a cut-off run can put the user's default back.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "automation/printer_settings.h"
#include "framework/process_identity.h"

namespace printer_record {

// Under HKEY_CURRENT_USER: one value per process that has a swap going, named by its identity
// (ProcessIdentity::Text), holding "saved:<the user's default>" (empty: none) and "chosen:<the
// printer swapped in>" as a REG_MULTI_SZ. While a printer's settings are changed too, three more
// entries follow: "settings:<printer>", "user:<the user's settings, hex>" (empty: none of their
// own) and "written:<dmFields>,<duplex>,<colour>" (hex). A record of the two first entries alone,
// as earlier versions wrote it, still reads.
inline constexpr const wchar_t* kKey = L"Software\\Tavrolin\\PrinterSwaps";

// A printer's settings changed for the run, and the user's own from before.
struct SettingsRecord {
    std::wstring printer;
    std::vector<BYTE> user;  // as ReadUserPrinterSettings gave them; empty: none of their own
    WrittenFields written;
    bool operator==(const SettingsRecord&) const = default;
};

struct Record {
    ProcessIdentity process;
    std::wstring saved;   // the user's default before the swap; empty when there was none
    std::wstring chosen;  // the printer made the default
    std::optional<SettingsRecord> settings = std::nullopt;
};

// Written in one value, so it is there whole or not at all; false when the key cannot be written.
bool Write(const Record& record);
void Remove(const ProcessIdentity& process);
// Every readable record; values that are not records are left out.
std::vector<Record> ReadAll();
// The record of one process, when there is a readable one.
std::optional<Record> Read(const ProcessIdentity& process);

// Whether a cut-off swap is undone: only while its printer still stands in as the default. A
// default that is neither is the user's later choice and stays.
bool ShouldPutBack(const Record& record, const std::wstring& defaultNow);

// For every record whose process is gone: the user's printer settings are put back where they
// still carry what the run wrote (SettingsToPutBack), the user's default where ShouldPutBack
// says so, and the record goes. Records of running processes are left alone. A value that is
// not a record is never acted on, and goes too unless a running process may have written it.
void ActOnRecordsOfGoneProcesses();

}  // namespace printer_record
