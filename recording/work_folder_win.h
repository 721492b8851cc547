// Where recordings are made and kept until they are saved: the user's
// temporary folder, unless school IT set a work folder. On school PCs whose
// system drive is restored at every start, a lesson kept in the temporary
// folder would be gone at the next start; IT points Tavrix at a drive that
// stays (the installer's /WORKDIR=).
#pragma once

#include <string>
#include <vector>

// The setting: HKEY_LOCAL_MACHINE\Software\Tavrix, value "WorkFolder" (a
// string), in the registry's 32-bit view, where the 32-bit installer writes it.
extern const wchar_t kWorkFolderKey[];
extern const wchar_t kWorkFolderValue[];

// The work folder of this user: "<WorkFolder>\<user name>", made when
// missing; empty when none is set, or it cannot be made or written, or its
// path does not fit the ANSI code page the recording's path is kept in.
std::wstring UserWorkFolder();

// The folder a new recording's folder goes in: the user's work folder, else
// the temporary folder (no trailing backslash; empty when neither is known).
std::wstring RecordingsFolder();

// Every folder where recordings left behind are looked for: the work folder
// (when set) and the temporary folder, which held them before it was set.
std::vector<std::wstring> LeftoverFolders();

// The user's temporary folder, without a trailing backslash.
std::wstring TemporaryFolder();
