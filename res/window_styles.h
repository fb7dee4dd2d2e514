// The window, dialog and control styles that kestrun.rc uses, with the values the system
// headers give them, so that the script compiles without those headers.
#ifndef KESTRUN_WINDOW_STYLES_H
#define KESTRUN_WINDOW_STYLES_H

#define WS_POPUP 0x80000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_APPWINDOW 0x00040000L
#define DS_MODALFRAME 0x80L
#define DS_SETFONT 0x40L
#define DS_FIXEDSYS 0x0008L
#define SS_NOPREFIX 0x80L
#define IDOK 1
#define IDCANCEL 2
#define IDC_STATIC (-1)

#define VOS__WINDOWS32 0x4L
#define VFT_APP 0x1L

#endif
