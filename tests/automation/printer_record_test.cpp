// The records of default-printer swaps as a start finds them in the registry: what is not a
// record in this program's own form is never acted on, and does not stay.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "automation/printer_record.h"
#include "framework/process_identity.h"
#include "printing.h"

namespace {

const std::wstring kUserDefault = L"Tavrolin-A";
const std::wstring kChosen = L"测试打印机";

// A record's data as Write stores it, put under any name and type.
void Put(const std::wstring& name, DWORD type, const std::wstring& data) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, printer_record::kKey, name.c_str(), type, data.data(),
                                static_cast<DWORD>(data.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

std::vector<std::wstring> ValueNames() {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, printer_record::kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return names;
    wchar_t name[16384];
    for (DWORD i = 0, chars = 16384; ::RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, chars = 16384)
        names.emplace_back(name, chars);
    ::RegCloseKey(key);
    return names;
}

TEST(PrinterRecord, WhatIsNotARecordIsNeverActedOnAndGoes) {
    automation_test::SystemDefaultScope swapped(kChosen);
    // Of a gone process: this one's id with another start time, as when an id is reused.
    const std::wstring gone = ProcessIdentity{ThisProcess().id, ThisProcess().started + 7}.Text();
    const std::wstring record = L"saved:" + kUserDefault + L'\0' + L"chosen:" + kChosen + L'\0' + L'\0';
    const struct {
        const char* what;
        std::wstring name;
        DWORD type;
        std::wstring data;
    } values[] = {
        // Names that read as some identity, but not as Text writes one: acted on, they would
        // also stay, since the record is removed under the identity's own form.
        {"a leading zero", L"0" + gone, REG_MULTI_SZ, record},
        {"an id past 32 bits", L"4294967296-1", REG_MULTI_SZ, record},
        {"a start time past 64 bits", L"1-99999999999999999999999", REG_MULTI_SZ, record},
        {"not an identity", L"1-2 ", REG_MULTI_SZ, record},
        {"a gone process's record of the wrong type", gone, REG_SZ, record},
        {"cut short", ProcessIdentity{ThisProcess().id, ThisProcess().started + 9}.Text(), REG_MULTI_SZ,
         record.substr(0, record.size() - 2)},
        {"no printer swapped in", ProcessIdentity{ThisProcess().id, ThisProcess().started + 8}.Text(), REG_MULTI_SZ,
         L"saved:" + kUserDefault + L'\0' + L"chosen:" + L'\0' + L'\0'},
    };
    for (const auto& v : values) Put(v.name, v.type, v.data);
    // A running process's value is its own business, whatever it holds.
    Put(ThisProcess().Text(), REG_SZ, L"not yet");

    printer_record::ActOnRecordsOfGoneProcesses();

    EXPECT_EQ(automation_test::SystemDefault(), kChosen) << "a value that is not a record was acted on";
    EXPECT_EQ(ValueNames(), std::vector<std::wstring>{ThisProcess().Text()});
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, printer_record::kKey, ThisProcess().Text().c_str());
}

TEST(PrinterRecord, OnlyTheFormTextWritesReadsAsAnIdentity) {
    ProcessIdentity identity;
    for (const wchar_t* text : {L"012-345", L"12-0345", L"4294967296-1", L"1-18446744073709551616", L"+1-2", L"1-2-3", L"-1", L"1-"})
        EXPECT_FALSE(ProcessIdentity::FromText(text, identity)) << testing::PrintToString(std::wstring(text));
    ASSERT_TRUE(ProcessIdentity::FromText(L"4294967295-18446744073709551615", identity));
    EXPECT_EQ(identity.id, 4294967295u);
    EXPECT_EQ(identity.started, 18446744073709551615ull);
    ASSERT_TRUE(ProcessIdentity::FromText(L"0-0", identity));
}

}  // namespace
