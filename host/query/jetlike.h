#pragma once

// Jet's Like: * any run of characters, ? one character, # one digit,
// [abc] one of, [a-z] a range, [!a-z] none of; [*] [?] [#] [[] match the
// character itself. Case-insensitive, as Jet compares text.

#include <QStringView>

bool jetLike(QStringView text, QStringView pattern);
