// Where a program of Tavrix's loads its DLLs from. Tavrix runs elevated and
// its encoder with Tavrix's rights: a DLL planted in the current folder (a
// download folder, a stick) must never be loaded into either.
#pragma once

// The system folder and the program's own folder are searched, nothing else;
// called first thing, before anything loads a DLL by name.
void HardenDllSearch();
