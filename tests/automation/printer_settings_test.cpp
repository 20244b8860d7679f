// Two-sided printing and colour for a run: set in the printer's own settings before each office
// server starts, seen in every job the spooler got, and the user's settings put back byte for
// byte. Printers: the test queues with CUPS drivers (scripts/lib.sh), under Wine's spooler.
#include <gtest/gtest.h>

#include <list>
#include <thread>
#include <utility>

#include <windows.h>
#include <winspool.h>

#include "automation/convert_class.h"
#include "automation/printer_record.h"
#include "automation/printer_settings.h"
#include "common/texts.h"
#include "framework/scoped.h"
#include "printing.h"
#include "run/outcome_text.h"
#include "support/files.h"
#include "support/officesim_control.h"
#include "support/officesim_log.h"
#include "support/printer_settings.h"
#include "support/spool_capture.h"
#include "support/ui.h"

namespace {

using testing_files::Narrow;
using testing_printer::KeptSettings;
using testing_printer::SetUserSettings;
using testing_printer::SettingsScope;
using testing_printer::UserSettings;
using testing_printer::With;

const std::wstring kTwoSided = L"Tavrolin-Duplex";  // two-sided and colour
const std::wstring kLabel = L"Tavrolin-Label";      // neither
const std::wstring kUserDefault = L"Tavrolin-A";

// MS Office, one copy, on `printer`, with two-sided printing and colour as given.
PrintOptions Asking(const std::wstring& printer, Duplex duplex, ColorMode color = ColorMode::PrinterDefault) {
    PrintOptions options;
    options.printer = printer;
    options.duplex = duplex;
    options.color = color;
    return options;
}

struct Document {
    DocumentKind kind;
    std::wstring path;
};

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// The documents one after the other on one worker thread, as a run prints them.
std::vector<PrintOutcome> PrintRun(const PrintOptions& options, const std::vector<Document>& documents) {
    std::vector<PrintOutcome> outcomes;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ScopedCom com;
        ConvertClass convert(options, nullptr);
        for (const Document& d : documents) outcomes.push_back(convert.Print(d.kind, d.path));
        done = true;
    });
    testing_ui::PumpUntil([&] { return done.load(); }, 240000);
    worker.join();
    return outcomes;
}

class PrinterSettings : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(officesim::RegisterAll()) << "officesim could not be registered"; }

    void SetUp() override {
        m_found = automation_test::SystemDefault();
        officesim::ResetBehaviours();
        officesim::ClearLog();
        automation_test::SetSystemDefault(kUserDefault);
    }
    void TearDown() override {
        if (!officesim::WaitNoServers(10000)) {
            ADD_FAILURE() << "an officesim process was left running";
            officesim::EndServers();
        }
        EXPECT_EQ(automation_test::SystemDefault(), kUserDefault) << "the default printer was left changed";
        EXPECT_TRUE(printer_record::ReadAll().empty()) << "a record of the run was left behind";
        automation_test::SetSystemDefault(m_found);
    }

    // A Word document, a workbook and a presentation with names no other test uses.
    std::vector<Document> OneOfEach(const std::wstring& stem) {
        return {{DocumentKind::Word, Make(stem, L".docx")},
                {DocumentKind::Excel, Make(stem, L".xlsx")},
                {DocumentKind::PowerPoint, Make(stem, L".pptx")}};
    }
    std::wstring Make(const std::wstring& stem, const wchar_t* extension) {
        return m_documents.emplace_back(stem, extension).Path();
    }

    std::wstring m_found;
    std::list<testing_files::TempDocument> m_documents;
};

// ---------------------------------------------------------------------------------------------

TEST_F(PrinterSettings, TheDriversSayWhatEachPrinterCanDo) {
    const struct {
        std::wstring printer;
        PrinterCapabilities caps;
    } cases[] = {
        {kTwoSided, {true, true, true}},
        {kLabel, {false, false, true}},
        {L"Tavrolin-Gone", {false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.printer));
        const PrinterCapabilities caps = ReadPrinterCapabilities(c.printer);
        EXPECT_EQ(caps.duplex, c.caps.duplex);
        EXPECT_EQ(caps.color, c.caps.color);
        EXPECT_EQ(caps.known, c.caps.known);
    }
    // What /print and the window refuse before a run starts.
    const PrinterCapabilities label = ReadPrinterCapabilities(kLabel);
    EXPECT_FALSE(CanPrintAsAsked(label, Asking(kLabel, Duplex::LongEdge)));
    EXPECT_FALSE(CanPrintAsAsked(label, Asking(kLabel, Duplex::PrinterDefault, ColorMode::Color)));
    EXPECT_TRUE(CanPrintAsAsked(label, Asking(kLabel, Duplex::OneSided, ColorMode::Mono)));
    EXPECT_TRUE(CanPrintAsAsked(ReadPrinterCapabilities(kTwoSided), Asking(kTwoSided, Duplex::ShortEdge, ColorMode::Color)));
    EXPECT_FALSE(CanPrintAsAsked(ReadPrinterCapabilities(L"Tavrolin-Gone"), Asking(L"Tavrolin-Gone", Duplex::OneSided)));
}

struct RunCase {
    const char* name;
    short userDuplex, userColor;  // the user's own settings of the printer before the run
    Duplex duplex;
    ColorMode color;
    spool::Sides runSides;
    bool runGrey;
    spool::Sides userSides;  // a job the user prints after the run
    bool userGrey;
};

// Every job of the run carries what was asked; afterwards the printer has the user's own settings
// again, byte for byte, and the next job (officesim started with the printer at its defaults for
// the run) prints the user's way.
TEST_F(PrinterSettings, EveryJobOfTheRunCarriesTheSettingsAndTheUsersComeBack) {
    const RunCase cases[] = {
        {"two-sided long edge and grey over the printer's own", DMDUP_SIMPLEX, DMCOLOR_COLOR, Duplex::LongEdge,
         ColorMode::Mono, spool::Sides::LongEdge, true, spool::Sides::One, false},
        {"one-sided and colour over a user's two-sided short edge and grey", DMDUP_HORIZONTAL, DMCOLOR_MONOCHROME,
         Duplex::OneSided, ColorMode::Color, spool::Sides::One, false, spool::Sides::ShortEdge, true},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsScope scope(kTwoSided);
        SetUserSettings(kTwoSided, With(scope.found(), c.userDuplex, c.userColor));
        const std::vector<BYTE> before = UserSettings(kTwoSided);
        const std::vector<BYTE> keptBefore = KeptSettings(kTwoSided);

        const std::vector<Document> documents = OneOfEach(L"settings");
        const std::vector<PrintOutcome> outcomes =
            PrintRun(Asking(kTwoSided, c.duplex, c.color), documents);
        EXPECT_EQ(outcomes, std::vector<PrintOutcome>(documents.size(), PrintOutcome::Printed));
        EXPECT_EQ(UserSettings(kTwoSided), before) << "the user's settings were not put back";
        EXPECT_EQ(KeptSettings(kTwoSided), keptBefore) << "what the spooler keeps is not byte for byte as before";
        for (const Document& d : documents) {
            SCOPED_TRACE(Narrow(FileName(d.path)));
            const std::vector<spool::Job> jobs = spool::WaitForJobs(FileName(d.path), 1, 30000);
            ASSERT_EQ(jobs.size(), 1u);
            EXPECT_EQ(jobs[0].queue, kTwoSided);
            EXPECT_EQ(jobs[0].sides, c.runSides) << jobs[0].options;
            EXPECT_EQ(jobs[0].grey, c.runGrey);
        }
        ASSERT_TRUE(officesim::WaitNoServers(10000));

        const std::vector<Document> after = {{DocumentKind::Word, Make(L"after-settings", L".docx")}};
        EXPECT_EQ(PrintRun(Asking(kTwoSided, Duplex::PrinterDefault), after), std::vector<PrintOutcome>{PrintOutcome::Printed});
        const std::vector<spool::Job> jobs = spool::WaitForJobs(FileName(after[0].path), 1, 30000);
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].sides, c.userSides);
        EXPECT_EQ(jobs[0].grey, c.userGrey);
        ASSERT_TRUE(officesim::WaitNoServers(10000));
    }
}

// Settings the driver does not take fail the document before any server starts: nothing is
// printed otherwise than asked, and nothing is left changed.
TEST_F(PrinterSettings, SettingsThePrinterCannotTakeFailTheDocumentAndQueueNothing) {
    const struct {
        const char* name;
        Duplex duplex;
        ColorMode color;
    } cases[] = {
        {"two-sided on a label printer", Duplex::LongEdge, ColorMode::PrinterDefault},
        {"short edge and grey on a label printer", Duplex::ShortEdge, ColorMode::Mono},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        officesim::ClearLog();
        const std::vector<BYTE> before = UserSettings(kLabel);
        const std::vector<Document> documents = OneOfEach(L"refused-settings");

        const std::vector<PrintOutcome> outcomes = PrintRun(Asking(kLabel, c.duplex, c.color), documents);

        EXPECT_EQ(outcomes, std::vector<PrintOutcome>(documents.size(), PrintOutcome::PrinterSettingsUnavailable));
        EXPECT_STREQ(OutcomeReason(PrintOutcome::PrinterSettingsUnavailable), L"无法设置打印机的双面或颜色选项");
        EXPECT_TRUE(officesim::ReadLog().empty()) << "a server was started:\n" << officesim::Describe(officesim::ReadLog());
        EXPECT_EQ(UserSettings(kLabel), before);
        EXPECT_TRUE(printer_record::ReadAll().empty());
        EXPECT_EQ(automation_test::SystemDefault(), kUserDefault);
        for (const Document& d : documents) EXPECT_TRUE(spool::FindJobs(FileName(d.path)).empty());
    }
}

// A run at the printer's defaults makes the calls it always made and leaves the user's settings
// to the office application, which prints with them. (One-sided, the PPD's default: Wine's driver
// resets a stored two-sided setting whenever a new process loads the printer.)
TEST_F(PrinterSettings, ARunAtThePrintersDefaultsPrintsWithTheUsersOwnSettings) {
    SettingsScope scope(kTwoSided);
    SetUserSettings(kTwoSided, With(scope.found(), DMDUP_SIMPLEX, DMCOLOR_MONOCHROME));
    const std::vector<BYTE> before = UserSettings(kTwoSided);
    const std::vector<BYTE> keptBefore = KeptSettings(kTwoSided);
    const std::vector<Document> documents = OneOfEach(L"default-settings");

    EXPECT_EQ(PrintRun(Asking(kTwoSided, Duplex::PrinterDefault), documents),
              std::vector<PrintOutcome>(documents.size(), PrintOutcome::Printed));

    EXPECT_EQ(UserSettings(kTwoSided), before);
    EXPECT_EQ(KeptSettings(kTwoSided), keptBefore);
    for (const Document& d : documents) {
        SCOPED_TRACE(Narrow(FileName(d.path)));
        const std::vector<spool::Job> jobs = spool::WaitForJobs(FileName(d.path), 1, 30000);
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].sides, spool::Sides::One);
        EXPECT_TRUE(jobs[0].grey);
    }
}

}  // namespace
