#include "companion/Velmora2.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QVariant>

namespace velmora {

int IndiceControl(const QString& nombre, const QList<QObject*>& controles)
{
    for (qsizetype i = 0; i < controles.size(); ++i) {
        const QObject* c = controles[i];
        if (!c) continue;
        const QVariant campo = c->property("DataField");
        if (campo.isValid() && campo.toString().compare(nombre, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    }
    return -1;
}

void EnterComoTab(int codigoTecla)
{
    if (codigoTecla != 13) return;
    QObject* foco = QGuiApplication::focusObject();
    if (!foco) return;
    // Posted, not sent: the caller is usually still inside the Enter key's own
    // handler, and the control moves the focus on once that one has finished.
    QCoreApplication::postEvent(foco, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t")));
    QCoreApplication::postEvent(foco, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t")));
}

}  // namespace velmora
