#include "AnchoTitulo.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>

namespace cartel {

int anchoParaTitulo(const QString& titulo)
{
    QFont letra = QApplication::font("QMdiSubWindowTitleBar");
    letra.setBold(true);
    const QFontMetrics fm(letra);
    // Icon, minimise, maximise and close, each about a title bar's height square, and the margins.
    const int alto = fm.height() + 8;
    return fm.horizontalAdvance(titulo) + fm.averageCharWidth() * 2 + 4 * alto + 16;
}

}  // namespace cartel
