// The product files in the installation folder.
#pragma once
#include "common/types.h"
#include "uninstall/uninst_report.h"

// The first product file in folder that another process holds open (it can't
// be opened for writing without sharing), skipping the file skip (the running
// uninstaller itself); empty when none.
ustring FirstFileInUse(const ustring& folder, const ustring& skip);

// Deletes every product file the setup installs from folder, except skip. A
// read-only file is made writable first. A file that is in use is left to
// the next restart (and then the folder with it); one that can't be deleted
// otherwise is reported as left.
void RemoveProductFiles(const ustring& folder, const ustring& skip, TUnReport& report);

// Leaves path (a file, or a folder that will be empty by then) to the next
// restart, noted in the report; listed as left when that can't be arranged.
// A file is first moved to a temporary name in its folder (the name the
// report notes), so that the restart deletes only what this run left.
void ScheduleAtRestart(const ustring& path, TUnReport& report);

// Deletes path now or, when it is in use, at the next restart (noted in the
// report, under its temporary name). A momentary hold is waited for first.
// Missing is fine.
void RemoveFileOrAtRestart(const ustring& path, TUnReport& report);
