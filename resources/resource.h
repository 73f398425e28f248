/* Resource identifiers of Brivane, shared by brivane.rc and the C++ code.
   Plain preprocessor definitions only, so both windres/rc.exe and the C++
   compilers can read this file. */
#ifndef BRIVANE_RESOURCE_H
#define BRIVANE_RESOURCE_H

/* Application icon: LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAINICON)). */
#define IDI_MAINICON 1

/* The five images of ImageList2, in list order:
   0 desktop shown, 1 desktop hidden, 2 About, 3 Exit, 4 spare (unused).
   Each .ico holds the image drawn at 16, 20, 24 and 32 pixels, the small-icon
   size (SM_CXSMICON) at 96, 120, 144 and 192 DPI; the list takes the one the
   system's DPI asks for. */
#define IDI_IMAGELIST2_0 101
#define IDI_IMAGELIST2_1 102
#define IDI_IMAGELIST2_2 103
#define IDI_IMAGELIST2_3 104
#define IDI_IMAGELIST2_4 105
#define IDI_IMAGELIST2_FIRST IDI_IMAGELIST2_0
#define IDI_IMAGELIST2_COUNT 5

/* About window picture: 400 x 263, 8 bits per pixel, 64-colour palette. */
#define IDB_ABOUT 200
#define ABOUT_BITMAP_WIDTH 400
#define ABOUT_BITMAP_HEIGHT 263

/* The link cursor is a named resource (not a number). Its owner loads a copy
   of its own with LoadImageW(instance, IDC_HARROW_NAME_W, IMAGE_CURSOR, 0, 0,
   LR_DEFAULTSIZE), which it may destroy; LoadCursorW hands out the module's
   shared copy, which must never be destroyed. Its hot spot is (12, 1). */
#define IDC_HARROW_NAME "HArrow"
#define IDC_HARROW_NAME_W L"HArrow"
#define HARROW_HOTSPOT_X 12
#define HARROW_HOTSPOT_Y 1

/* Version resource. */
#define BRIVANE_VERSION_BINARY 3, 1, 1, 9
#define BRIVANE_VERSION_TEXT "3.1.1.9"
#define BRIVANE_VERSION_MAJOR 3
#define BRIVANE_VERSION_MINOR 1
#define BRIVANE_VERSION_RELEASE 1
#define BRIVANE_VERSION_BUILD 9
/* Language and code page of the string table: UK English, Windows-1252. */
#define BRIVANE_VERSION_LANGUAGE 0x0809
#define BRIVANE_VERSION_CODEPAGE 0x04E4
#define BRIVANE_VERSION_BLOCK "080904E4"

#endif
