// The program's version and publisher, in one place: read by the C++ texts, the resource
// script's VERSIONINFO (windres and rc both preprocess it) and the installer script, which
// parses the four numbers below. Macros only, so that the resource compiler can take it.
#pragma once

#define TAVROLIN_VERSION_MAJOR 8
#define TAVROLIN_VERSION_MINOR 3
#define TAVROLIN_VERSION_PATCH 0
#define TAVROLIN_VERSION_BUILD 0

#define TAVROLIN_STRINGIZE_(x) #x
#define TAVROLIN_STRINGIZE(x) TAVROLIN_STRINGIZE_(x)

// "8.3": what the title and the About box show.
#define TAVROLIN_VERSION_SHORT TAVROLIN_STRINGIZE(TAVROLIN_VERSION_MAJOR.TAVROLIN_VERSION_MINOR)
// "8.3.0.0": the file and product version.
#define TAVROLIN_VERSION_FULL \
    TAVROLIN_STRINGIZE(TAVROLIN_VERSION_MAJOR.TAVROLIN_VERSION_MINOR.TAVROLIN_VERSION_PATCH.TAVROLIN_VERSION_BUILD)

#define TAVROLIN_PRODUCT_NAME "Tavrolin"
#define TAVROLIN_COMPANY_NAME "青木办公软件"
#define TAVROLIN_COPYRIGHT "版权所有 © 2026 青木办公软件"
