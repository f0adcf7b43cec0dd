#pragma once

// File names that are not valid UTF-8 cannot pass through QString, which
// every layer of the program uses. Each such word of the command line that
// names an existing file or folder, or a new file in an existing folder, is
// reached instead through a symbolic link with a readable name in a private
// folder, so the bytes the user gave are the file that is read or written.

#include <QStringList>
#include <QTemporaryDir>

class RawNameLinks
{
public:
    // Arguments as the program should see them. `error` names the first
    // word that names nothing and is not valid UTF-8; such a word is refused.
    QStringList arguments(int argc, char **argv, QString &error);

private:
    QTemporaryDir m_folder; // removed, with its links, when the program ends
};
