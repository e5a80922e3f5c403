#pragma once
// The width a window needs so that the window manager shows its whole title.
#include <QString>

namespace cartel {

// Device-independent pixels: the title in a bold title-bar font, plus the
// frame's icon and buttons. An estimate on the generous side, since the
// window manager draws the title bar with fonts of its own.
int anchoParaTitulo(const QString& titulo);

}  // namespace cartel
