// Font face names as Qt should ask for them: the Windows Japanese faces the game's settings and
// about box name ("ＭＳ Ｐゴシック", "ＭＳ 明朝", ...) become the installed faces of their kind.
#pragma once

#include <QString>

namespace app {

QString InstalledFace(const QString& face);

}  // namespace app
