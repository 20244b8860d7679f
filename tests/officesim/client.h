// A late-bound client for the officesim tests: real COM, arguments in declared order.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace officesim_test {

// One argument. ByRef wraps the value in a VT_BYREF|VT_VARIANT, as Word's callers do.
struct Arg {
    VARIANT value;
    bool byRef = false;
};
Arg I2(short v, bool byRef = false);
Arg I4(long v, bool byRef = false);
Arg Bool(bool v);
Arg Str(const std::wstring& v, bool byRef = false);
Arg Missing(bool byRef = false);
std::vector<Arg> Repeat(const Arg& arg, size_t n);
std::vector<Arg> Join(std::vector<Arg> a, const std::vector<Arg>& b);

struct CallResult {
    HRESULT hr = E_FAIL;
    VARIANT value{};          // VT_EMPTY unless the member returned something
    EXCEPINFO excep{};
    UINT argErr = UINT(-1);
    CallResult() = default;
    CallResult(const CallResult&) = delete;
    CallResult& operator=(const CallResult&) = delete;
    ~CallResult();
    IDispatch* TakeObject();  // the returned object, now owned by the caller (or null)
    std::wstring Text() const;  // the returned string
    std::wstring Description() const;
};

// Invokes by DISPID; a put passes its single argument as DISPID_PROPERTYPUT.
void Call(IDispatch* object, DISPID id, WORD kind, const std::vector<Arg>& args, CallResult& out);

// Creates the server of a ProgID out of process; hr says why not.
HRESULT Create(const std::wstring& progId, IDispatch** app);

// A file that exists for the test's lifetime, with a name unique to this run.
class TempDocument {
public:
    explicit TempDocument(const std::wstring& stem, const std::wstring& extension);
    ~TempDocument();
    TempDocument(const TempDocument&) = delete;
    TempDocument& operator=(const TempDocument&) = delete;
    const std::wstring& Path() const { return path_; }
    const std::wstring& Name() const { return name_; }

private:
    std::wstring path_, name_;
};

bool WaitProcessGone(DWORD pid, DWORD timeoutMs);

}  // namespace officesim_test
