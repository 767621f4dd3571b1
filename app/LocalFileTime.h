#pragma once
// A local date and time as the file system keeps it (UTC), converted with the daylight-saving
// state of that date, not of today.
#include "framework/core/DateTime.h"

#include <windows.h>

// Sets the last-write time of the file (open with write access) to local; its other times stay.
// False, leaving the time as it was, when local cannot be given to a file or the system
// refuses. The update run stamps each staged file with it (FileReplace.cpp).
bool StampFile(HANDLE file, TDateTime local);

// The conversion of a date's local time by that date's rule (Windows XP and later).
using TDatedConversion = BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*,
                                       SYSTEMTIME*);
// False when the time cannot be given to a file (outside the MS-DOS range 1980-2099, or a
// conversion failed); the time is taken in two-second steps, as MS-DOS times are. Without a
// dated conversion (Windows 95/98, NT 4), today's offset is applied.
bool LocalToFileTime(TDateTime local, FILETIME& utc, TDatedConversion convert);
