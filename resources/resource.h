/* Resource identifiers of Brivane, shared by brivane.rc and the C++ code.
   Plain preprocessor definitions only, so both windres/rc.exe and the C++
   compilers can read this file. */
#ifndef BRIVANE_RESOURCE_H
#define BRIVANE_RESOURCE_H

/* Application icon: LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAINICON)). */
#define IDI_MAINICON 1

/* The five images of TrayImages, in list order, each drawn at every
   small-icon size from 16 to 48 pixels: 0 desktop shown, 1 desktop hidden,
   2 About, 3 Exit, 4 spare (unused). They suit a light taskbar and the menu.
   Image 0 is the application icon itself. */
#define IDI_TRAY_IMAGE_0 IDI_MAINICON
#define IDI_TRAY_IMAGE_1 2
#define IDI_TRAY_IMAGE_2 3
#define IDI_TRAY_IMAGE_3 4
#define IDI_TRAY_IMAGE_4 5
#define IDI_TRAY_IMAGE_FIRST IDI_TRAY_IMAGE_0
#define IDI_TRAY_IMAGE_COUNT 5

/* Images 0 and 1 for a dark taskbar, and for high contrast (black ink on white
   paper, drawn in the system's colours). */
#define IDI_TRAY_DARK_0 111
#define IDI_TRAY_DARK_1 112
#define IDI_TRAY_CONTRAST_0 121
#define IDI_TRAY_CONTRAST_1 122

/* About window picture: 400 x 263, 8 bits per pixel, 64-colour palette. */
#define IDB_ABOUT 200
#define ABOUT_BITMAP_WIDTH 400
#define ABOUT_BITMAP_HEIGHT 263

/* The settings window (SettingsWindow.cpp) and its controls. */
#define IDD_SETTINGS 300
#define IDC_HOTKEY 301
#define IDC_HOTKEY_NONE 302
#define IDC_HOTKEY_STATUS 303
#define IDC_AUTOHIDE 304
#define IDC_AUTOHIDE_SECONDS 305
#define IDC_AUTOHIDE_SPIN 306
#define IDC_AUTOSTART 307
#define IDC_HIDE_ALL 308
#define IDC_HIDE_ICONS 309
#define IDC_DOUBLECLICK 310
#define IDC_APPLY 311

/* The link cursor is the named resource "HArrow" (not a number); its hot
   spot is (12, 1). */
#define HARROW_HOTSPOT_X 12
#define HARROW_HOTSPOT_Y 1

/* Version resource: the numbers come from the build (brivane_version.h). */
#include "brivane_version.h"
/* Language and code page of the string table: UK English, Windows-1252. */
#define BRIVANE_VERSION_LANGUAGE 0x0809
#define BRIVANE_VERSION_CODEPAGE 0x04E4
#define BRIVANE_VERSION_BLOCK "080904E4"

#endif
