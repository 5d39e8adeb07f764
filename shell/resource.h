// Resource IDs of the Windows program: the three dialog templates and the icon group. Shared
// by the resource script and the code; the controls' IDs are in ids.h.
#ifndef TV_RESOURCE_H
#define TV_RESOURCE_H

#define IDD_MAIN 1001
#define IDD_HELP 1002
#define IDD_ABOUT 1003
#define IDI_TARVIX 802

#endif
