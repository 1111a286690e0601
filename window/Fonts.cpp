#include "window/Fonts.h"

#include <QFont>

namespace triview {

void registerFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("新細明體"), QStringLiteral("AR PL UMing TW"));
    QFont::insertSubstitution(QStringLiteral("Monotype Corsiva"), QStringLiteral("Z003"));
}

} // namespace triview
