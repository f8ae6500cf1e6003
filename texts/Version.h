#pragma once
// The program's version, one set of numbers for the version resource of
// Quavrel.exe and for "quavrel --version". Plain defines, for the resource
// script.

#define QUAVREL_VERSION_MAJOR 1
#define QUAVREL_VERSION_MINOR 0
#define QUAVREL_VERSION_PATCH 0
#define QUAVREL_VERSION_BUILD 1
#define QUAVREL_VERSION_TEXT "1.0.0.1"
