// Which local files a page's script may name for upload: the folders the host allows.
#pragma once

#include <string>
#include <vector>

namespace plat::shell {

// A page that may script the control could otherwise upload any file the user can read (a key, a
// mail folder) without the user ever picking it. The host decides which folders a page may name;
// files the user picks in the open-file dialog or drops are never restricted by this.
//
// The folders start as the system's temporary folder alone ($TMPDIR, else /tmp). Each folder is
// resolved (symbolic links, "..", made absolute) when it is set. Safe from any thread.

// Replaces the allowed folders (UTF-8 paths). A folder that does not exist is kept as written,
// made absolute, so that nothing under it can be named until it exists.
void SetPageFileFolders(const std::vector<std::string>& utf8Folders);
// Adds one allowed folder (UTF-8).
void AllowPageFileFolder(const std::string& utf8Folder);
// The allowed folders, resolved, as UTF-8.
std::vector<std::string> PageFileFolders();
// The system's temporary folder, resolved (UTF-8).
std::string SystemTempFolder();

// True when `cp949Path` names a file inside one of the allowed folders once its symbolic links and
// ".." are resolved (a file that does not exist is judged by the part of its path that does). A
// path CP949 text cannot name exactly is never allowed.
bool IsPageFileAllowed(const std::string& cp949Path);

}  // namespace plat::shell
