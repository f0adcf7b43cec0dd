#include "host/views/render/designfont.h"

#include <QFontDatabase>

QStringList designFontFamilies(const QString &name)
{
    const QString folded = name.normalized(QString::NormalizationForm_KC).toCaseFolded();
    const bool proportional = folded.contains(u"pゴシック") || folded.contains(u"p明朝") ||
                              folded.contains(QLatin1String("pgothic")) ||
                              folded.contains(QLatin1String("pmincho"));
    // The named font only where it is installed: fontconfig would stand
    // its default in for a missing one, and Qt would take that.
    QStringList families;
    if (QFontDatabase::hasFamily(name))
        families << name;
    if (folded.contains(u"明朝") || folded.contains(QLatin1String("mincho"))) {
        families << (proportional ? QStringLiteral("Ume P Mincho") : QStringLiteral("Ume Mincho"));
    } else if (folded.contains(QLatin1String("ui gothic"))) {
        families << QStringLiteral("Ume UI Gothic");
    } else if (folded.contains(u"ゴシック") || folded.contains(QLatin1String("gothic"))) {
        families << (proportional ? QStringLiteral("Ume P Gothic") : QStringLiteral("Ume Gothic"));
    } else if (folded.contains(QLatin1String("courier")) ||
               folded.contains(QLatin1String("mono"))) {
        families << QStringLiteral("DejaVu Sans Mono");
    } else if (folded.contains(QLatin1String("times")) || folded.contains(QLatin1String("serif")) ||
               folded.contains(QLatin1String("roman")) ||
               folded.contains(QLatin1String("georgia"))) {
        families << (folded.contains(QLatin1String("sans")) ? QStringLiteral("DejaVu Sans")
                                                            : QStringLiteral("DejaVu Serif"));
    } else {
        families << QStringLiteral("DejaVu Sans");
    }
    families << QStringLiteral("Ume P Gothic") << QStringLiteral("IPAPGothic");
    return families;
}

QFont designFont(const QString &name, int pixelSize, int weight, bool italic, bool underline)
{
    QFont font;
    font.setFamilies(designFontFamilies(name));
    font.setPixelSize(std::max(1, pixelSize));
    font.setWeight(QFont::Weight(std::clamp(weight, 100, 900)));
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}
