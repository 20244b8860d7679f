// Late-bound automation: server objects called through IDispatch by fixed DISPID, with the
// arguments written at the call site in the order of the member's parameter list.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "framework/scoped.h"

// A failed automation call: the HRESULT of Invoke (or of a result that was not what the
// member promises), with the server's own description when it gave one.
struct AutomationError {
    HRESULT hr;
    std::wstring description;
};

// An owned VARIANT, cleared once.
class Variant {
public:
    Variant() { ::VariantInit(&m_v); }
    ~Variant() { ::VariantClear(&m_v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : m_v(other.m_v) { ::VariantInit(&other.m_v); }
    Variant& operator=(Variant&& other) noexcept;

    static Variant I2(SHORT value);
    static Variant I4(std::int32_t value);
    static Variant Missing();  // VT_ERROR DISP_E_PARAMNOTFOUND: leave the parameter at its default
    static Variant String(const std::wstring& text);

    VARIANT& get() { return m_v; }
    const VARIANT& get() const { return m_v; }
    VARTYPE type() const { return m_v.vt; }

private:
    VARIANT m_v;
};

// One argument as it goes into DISPPARAMS. It never owns what it points to: the values
// live in Variants of the caller for the length of the call.
struct Arg {
    VARIANT v;
};

Arg ByRef(Variant& value);         // VT_BYREF | VT_VARIANT
Arg ByValue(const Variant& value); // a copy of the variant itself
Arg I4(std::int32_t value);        // plain 32-bit integer parameter
Arg Bool(bool value);              // VARIANT_BOOL
Arg String(const Variant& text);   // plain string parameter; `text` holds a VT_BSTR

// One reference to a server object. Calls through an empty one are skipped.
using DispatchRef = ComPtr<IDispatch>;

// Member calls. Each throws AutomationError when the server fails the call; through an
// empty reference each does nothing and gives an empty result.
Variant CallMethod(const DispatchRef& object, DISPID member, std::initializer_list<Arg> args = {});
Variant GetProperty(const DispatchRef& object, DISPID member);
void PutProperty(const DispatchRef& object, DISPID member, Arg value);

// A member that gives an object: the new reference, or AutomationError when the result is
// not an object (a document that did not open must not look like one that did).
DispatchRef GetObject(const DispatchRef& object, DISPID member);
DispatchRef CallForObject(const DispatchRef& object, DISPID member, std::initializer_list<Arg> args);

// A member that gives text.
std::wstring GetText(const DispatchRef& object, DISPID member);

// Told about every server call made on the thread it is installed on, so that a call a server
// never answers can be noticed from another thread.
class CallListener {
public:
    virtual void CallStarted() = 0;
    virtual void CallEnded() = 0;

protected:
    ~CallListener() = default;
};

// Installs a listener for this thread's calls for the object's lifetime.
class ScopedCallListener {
public:
    explicit ScopedCallListener(CallListener* listener);
    ~ScopedCallListener();
    ScopedCallListener(const ScopedCallListener&) = delete;
    ScopedCallListener& operator=(const ScopedCallListener&) = delete;

private:
    CallListener* m_previous;
};

// The class id of a ProgID (a text beginning with "{" is a class id already).
HRESULT ClassIdOf(const std::wstring& progId, CLSID& clsid);

// Starts a server by ProgID (a text beginning with "{" is a class id) and gives its
// IDispatch; on failure the HRESULT of the step that failed and an empty reference.
HRESULT CreateServer(const std::wstring& progId, DispatchRef& server);
