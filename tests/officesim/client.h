// A late-bound client for the officesim tests: real COM, arguments in declared order.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/officesim_log.h"

namespace officesim_test {

// The kinds of call, as Invoke takes them.
constexpr WORD kMethod = DISPATCH_METHOD;
constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;

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

// The argument as officesim's log writes it: "I2=0", "&BSTR=C:\\a.docx", "ERROR=0x80020004".
std::wstring LogText(const Arg& arg);

// Calls made through Call and written down as officesim must log them, so that a test
// writes each call once and holds the log against what it did.
class CallTable {
public:
    // `objectName` is the object's name in the log: "Application", "Documents" ...
    void Call(IDispatch* object, const wchar_t* objectName, DISPID id, WORD kind, const std::vector<Arg>& args,
              CallResult& out);
    const std::vector<officesim::ExpectedCall>& Made() const { return m_made; }

private:
    std::vector<officesim::ExpectedCall> m_made;
};

// Creates the server of a ProgID out of process; hr says why not.
HRESULT Create(const std::wstring& progId, IDispatch** app);

bool WaitProcessGone(DWORD pid, DWORD timeoutMs);

// Every test starts with all six roles registered, no behaviour switched on and an empty log,
// and leaves no behaviour switched on.
class FreshServers : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace officesim_test
