#pragma once
#include <string>
#include <system_error>

// The folder whose archive the conversion pass works on: the process's current folder
// when the main window was shown, spelled as platform/WorkFolderPath.h says.
// Written by CaptureWorkFolder (the main window's FormShow), read by the main window's
// button, which hands it to the pass. Empty
// while no folder could be determined; WorkFolderError then holds the system's reason.
extern std::string WorkFolder;
extern std::error_code WorkFolderError;

// Fills WorkFolder from the current folder. On failure WorkFolder is left empty: the
// main window then starts no pass and says in Italian that the folder cannot be read
// (the system's reason, in the system's language, stays in WorkFolderError), and the
// pass, handed that empty folder, refuses to guess one.
bool CaptureWorkFolder();
