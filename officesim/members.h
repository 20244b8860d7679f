// The members each server object answers: one row per member, read by the single
// IDispatch implementation in objects.cpp.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <vector>

#include "officesim/shared.h"

namespace officesim {

enum class ObjectKind { Application, Collection, Document, PrintOptions };

// How an argument must arrive. Stricter than a server with a type library, which would
// coerce: a client that passes the wrong shape should fail loudly in tests.
enum class Param {
    RefVariant,  // VT_BYREF | VT_VARIANT
    Variant,     // any variant by value
    Bstr,        // VT_BSTR
    I4,          // VT_I4
    Bool,        // VT_BOOL
};

enum class Action {
    Version,     // the Version text
    Collection,  // the application's document collection
    Open,        // open the file of argument pathArg, return a new document
    PrintOut,    // print the document, copies from argument copiesArg
    Close,       // close this document
    CloseAll,    // close every document of this collection
    Quit,        // end the server
    Accept,      // a setting the server takes and forgets
    Setting,     // an application setting kept by name: get, or put one of the allowed values
    PrintOptions,       // the presentation's print options object
    PrintInBackground,  // print options: MsoTriState, -1 by default
    ActivePrinter,      // print options: the printer the presentation prints on
    Count,              // collection: the documents the process holds, a user's included
    Hwnd,               // application: its main window
};

struct Member {
    Family family;
    ObjectKind object;
    DISPID dispid;
    WORD kind;  // DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT
    const wchar_t* name;
    std::vector<Param> params;
    Action action;
    int pathArg = -1;    // declared position of the file name
    int copiesArg = -1;  // declared position of the copies
    long initial = 0;            // Setting: the value a new process starts with
    std::vector<long> allowed = {};  // Setting: the values a put takes (empty: any)
};

const std::vector<Member>& Members();

// The object's name in the log and in behaviour names ("Documents.Open").
const wchar_t* ObjectName(Family family, ObjectKind object);

}  // namespace officesim
