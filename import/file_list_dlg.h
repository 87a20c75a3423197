// The entries of the main window's two file lists: the display text is the
// file name (the part of the path after the last backslash), the item data a
// separately allocated copy of the full path (GBK, NUL-terminated) that the
// entry owns. Whoever removes an entry frees its path through these calls.
#pragma once

#include <string>

#include "ui/controls.h"

// Appends an entry for a full path; returns its index, or -1 when the path
// has no backslash or the list refused the line.
int AddFileEntry(CListBox& list, const std::string& strPath);
// Inserts an entry at nIndex (-1 appends) with this display text and path.
int InsertFileEntry(CListBox& list, int nIndex, const std::string& strName,
                    const std::string& strPath);
// The attached full path; empty when the entry has none.
std::string FileEntryPath(const CListBox& list, int nIndex);
// Frees the entry's path and removes the entry.
void RemoveFileEntry(CListBox& list, int nIndex);
// Frees every entry's path and empties the list.
void RemoveAllFileEntries(CListBox& list);
// The file name of a path: the part after the last backslash, or empty when
// there is none.
std::string FileNameOfPath(const std::string& strPath);
