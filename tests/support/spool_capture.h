// Reads the jobs that the test CUPS queues captured (scripts/capture-backend writes
// job-<id>.rec and job-<id>.data under /var/tmp/tavrolin-spool, Z:\ from Wine).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace spool {

// How a job asks to be printed on the sheet.
enum class Sides { One, LongEdge, ShortEdge };

struct Job {
    std::wstring queue;
    int id = 0;
    std::wstring title;
    int cupsCopies = 1;    // the copies CUPS handed to the backend
    int dataCopies = 1;    // the copies the PostScript asks for (/NumCopies or #copies)
    int copies = 1;        // what the printer would put out: the two multiplied
    long long bytes = 0;
    std::string options;   // the job's options as CUPS handed them to the backend
    Sides sides = Sides::One;  // as the PostScript's setpagedevice asks (/Duplex, /Tumble)
    bool grey = false;     // officesim made the job with a monochrome DEVMODE
    std::string data;      // the job's bytes as CUPS received them
    int pages = 0;         // the pages of the PostScript, each copy counted once
    std::vector<int> documentPages;  // the document's page number officesim marked on each page
};

// Every captured job whose title contains titlePart (all jobs when it is empty).
std::vector<Job> FindJobs(const std::wstring& titlePart);

// Polls until at least count jobs titled with titlePart are captured or timeoutMs
// passes; returns what was found either way.
std::vector<Job> WaitForJobs(const std::wstring& titlePart, size_t count, DWORD timeoutMs);

// The copies a PostScript job asks for itself; 1 when it does not say.
int PostScriptCopies(const std::string& data);
// Two-sided printing as a PostScript job asks for it: the last /Duplex (and /Tumble) request wins.
Sides PostScriptSides(const std::string& data);
// Whether officesim noted a monochrome DEVMODE for the job (wineps puts nothing of the colour
// setting in the PostScript, and CUPS's print-color-mode is only the queue's default).
bool OfficesimGrey(const std::string& data);

// The pages of a PostScript job: its "%%Page:" comments, or its showpage operators where it
// has none.
int PostScriptPages(const std::string& data);

// The page numbers in officesim's marks ("%officesim <ProgID> copies=<n> page=<N> path=..."),
// one a page, in the job's order.
std::vector<int> MarkedPages(const std::string& data);

}  // namespace spool
