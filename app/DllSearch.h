#pragma once
// Keeps the program's folder and the current folder out of the search for DLLs loaded by name.

// Where the system offers it (Windows 8 and later, 7 and Vista with the update that adds the
// function; XP SP1 and later for the second call): DLLs that Windows or a library loads later by
// name come from the system folder only, and the current folder is never searched. Older
// systems lack both functions and are left as they are. Call it before anything else.
void RestrictDllSearch();
