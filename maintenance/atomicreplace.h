#pragma once

// Puts a finished, synced file in place of another in one step: rename(2)
// within one folder, then the folder synced. At every moment the path holds
// either the old file or the new one, never nothing.

#include <QString>

// Raises 75 (path/file access) when the rename fails; both files are then
// as they were.
void replaceAtomically(const QString &from, const QString &to);
