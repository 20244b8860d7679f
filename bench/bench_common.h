// Small helpers shared by the benchmark programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

double NowMs();
double Median(std::vector<double> values);
// The value below which `fraction` of the values lie (nearest rank); 0 for none.
double Quantile(std::vector<double> values, double fraction);
double Min(const std::vector<double>& values);
// One result line: "name value unit".
void Report(const char* name, double value, const char* unit);
// Handles every message waiting on this thread.
void Pump();
// A visible top-level window holding a list view styled like the document list, with its
// two columns: the floor the document list is measured against.
class BareList {
public:
    BareList();
    ~BareList();
    HWND list() const { return m_list; }
    void InsertRowsAtTop(const std::vector<std::wstring>& paths);
    void Clear();

private:
    HWND m_frame = nullptr;
    HWND m_list = nullptr;
};
// Bytes of private memory the process has committed.
// GetProcessMemoryInfo's PrivateUsage, or where the platform leaves it at 0, the committed
// private regions counted with VirtualQuery.
double PrivateBytes();
bool PrivateUsageReported();
// A fresh folder under the temporary folder, removed with its files at the end.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name);
    ~TempFolder();
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};
void MakeEmptyFile(const std::wstring& path);

}  // namespace bench
