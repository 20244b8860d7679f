#include "run/run_state.h"

PrintSettings& CurrentPrintSettings() {
    static PrintSettings settings;
    return settings;
}

std::vector<std::wstring>& RunList() {
    static std::vector<std::wstring> list;
    return list;
}
