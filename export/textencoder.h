#pragma once

// TextEncoder turns text into the bytes of one code page. Qt 6 built
// without ICU converts only the Unicode encodings and Latin-1, so every
// other code page (CP932 first of all) goes through glibc's iconv. A
// character the code page cannot hold is reported, never replaced by "?".

#include <QByteArray>
#include <QString>
#include <QStringView>

class TextEncoder
{
public:
    // codePage: "UTF-8" (written with a byte-order mark) or any code page
    // iconv knows ("CP932", "CP1252", ...), case-insensitive. An unknown name
    // or one whose ASCII bytes differ from ASCII (UTF-16, EBCDIC) raises 5.
    explicit TextEncoder(const QString &codePage);
    ~TextEncoder();
    TextEncoder(const TextEncoder &) = delete;
    TextEncoder &operator=(const TextEncoder &) = delete;

    const QString &codePage() const { return m_codePage; }
    // What the file begins with: the UTF-8 byte-order mark, else nothing.
    QByteArray preamble() const;
    // Appends the bytes of `text` to `out`. Returns -1, or the index of the
    // first character the code page cannot hold (`out` then holds the bytes
    // before it).
    qsizetype append(QStringView text, QByteArray &out);

    // Whether the name is a code page this class accepts.
    static bool isKnown(const QString &codePage);

private:
    QString m_codePage;
    bool m_utf8 = false;
    void *m_iconv = nullptr; // iconv_t
};
