#include "shell/uifont.h"

#include <QStringList>

QFont japaneseUiFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Ume UI Gothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoPGothic"),
                      QStringLiteral("VL PGothic")});
    font.setPointSize(9); // points follow the screen's DPI, as the twips do
    font.setStyleHint(QFont::SansSerif);
    return font;
}
