#pragma once
// Which family of Windows the program runs on. The 95/98/ME family lacks or stubs some calls
// (MoveFileEx, some drawing from bits), so a few routes depend on it.

// True on the NT family (NT 4.0 through today's Windows), false on 95/98/ME.
bool IsNtFamily();
