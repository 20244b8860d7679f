// The server's automation objects: application, document collection, document and a
// presentation's print options, all one class whose members come from the table in members.cpp.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <thread>
#include <vector>

#include "officesim/members.h"
#include "officesim/prompt.h"
#include "officesim/traits.h"

namespace officesim {

class SimObject final : public IDispatch {
public:
    explicit SimObject(ObjectKind kind, std::wstring path = L"");
    SimObject(const SimObject&) = delete;
    SimObject& operator=(const SimObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

private:
    // One call on its way: its log line, written once (a call that waits in a prompt is
    // logged when the prompt appears).
    struct Invocation {
        std::vector<std::wstring>& fields;
        bool logged = false;
    };

    ~SimObject();
    HRESULT Call(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result,
                 EXCEPINFO* excep, UINT* argErr, Invocation& call);
    HRESULT Run(const Member& member, const std::vector<VARIANT*>& args, VARIANT* result,
                EXCEPINFO* excep, UINT* argErr, Invocation& call);
    HRESULT Open(const Member& member, const std::vector<VARIANT*>& args, VARIANT* result,
                 EXCEPINFO* excep, UINT* argErr, Invocation& call);
    HRESULT PrintOut(const Member& member, const std::vector<VARIANT*>& args, EXCEPINFO* excep,
                     UINT* argErr, Invocation& call);
    // Asks to save each changed document; false when the person cancelled.
    bool AskToSave(const std::vector<SimObject*>& documents, Invocation& call);
    std::vector<SimObject*> OpenDocuments() const;
    void Detach(SimObject* document);
    void StopSpooling();

    LONG refs_ = 1;
    ObjectKind kind_;
    std::wstring path_;               // documents: the opened file
    bool open_ = false;               // documents: not yet closed
    SimObject* collection_ = nullptr; // application: owned; documents: the owner, not held
    std::vector<SimObject*> documents_;  // collection: the open documents, held
    Traits traits_;                   // documents: what the file says about itself
    bool changed_ = false;            // documents: changed since opened (fields updated by printing)
    long printInBackground_ = -1;     // presentations: PrintOptions.PrintInBackground
    std::wstring activePrinter_;      // presentations: PrintOptions.ActivePrinter, when put
    SimObject* owner_ = nullptr;      // print options: the presentation, held
    std::thread spooler_;             // presentations: a background print still spooling
    HANDLE spoolCancel_ = nullptr;
};

}  // namespace officesim
