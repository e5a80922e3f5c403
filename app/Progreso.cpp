#include "Progreso.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace app {

CuadroProgreso::CuadroProgreso(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setMinimumHeight(18);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& CuadroProgreso::imagen()
{
    const QSize s = size().expandedTo(QSize(1, 1));
    if (imagen_.size() != s) {
        QImage nueva(s, QImage::Format_RGB32);
        nueva.fill(palette().color(QPalette::Window));
        if (!imagen_.isNull()) {
            QPainter p(&nueva);
            p.drawImage(0, 0, imagen_);
        }
        imagen_ = nueva;
    }
    return imagen_;
}

void CuadroProgreso::Cls()
{
    imagen().fill(palette().color(QPalette::Window));
    ultimo_ = -1;
    texto_.clear();
    update();
}

void CuadroProgreso::anotar(int porcentaje, const QString& texto)
{
    ultimo_ = porcentaje;
    texto_ = texto;
    registro_.append(porcentaje);
}

const QStaticText& CuadroProgreso::textoFijo(const QString& texto)
{
    if (fuenteTextos_ != font() || textos_.size() > 64) {
        textos_.clear();
        fuenteTextos_ = font();
    }
    auto it = textos_.find(texto);
    if (it == textos_.end()) {
        QStaticText st(texto);
        st.setTextFormat(Qt::PlainText);
        st.prepare(QTransform(), font());
        it = textos_.insert(texto, st);
    }
    return it.value();
}

void CuadroProgreso::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, imagen());
    // The box's sunken border, over the drawing and not part of it.
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CuadroProgreso::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    imagen();
}

QColor colorClasico(long valor)
{
    return QColor(static_cast<int>(valor & 0xFF), static_cast<int>((valor >> 8) & 0xFF), static_cast<int>((valor >> 16) & 0xFF));
}

QString textoProgreso(const QString& titulo, int porcentaje)
{
    // "###" writes no digit for zero.
    const QString numero = porcentaje == 0 ? QString() : QString::number(porcentaje);
    return titulo + QStringLiteral(" ") + numero + QStringLiteral("%");
}

void DibujaProgreso(CuadroProgreso* caja, int porcentaje, long color, const QString& titulo)
{
    if (!caja) return;
    const int pct = std::clamp(porcentaje, 0, 100);
    QImage& img = caja->imagen();
    const QColor fondo = caja->palette().color(QPalette::Window);
    const QColor tinta = caja->palette().color(QPalette::WindowText);
    const QColor barra = colorClasico(color);
    const QColor inversa(255 - barra.red(), 255 - barra.green(), 255 - barra.blue());
    img.fill(fondo);

    const QString texto = textoProgreso(titulo, porcentaje);
    const QRect todo(QPoint(0, 0), img.size());
    // The box is 100 units wide: the bar ends at pct units.
    const QRect rectBarra(0, 0, (img.width() * pct + 50) / 100, img.height());

    const QStaticText& fijo = caja->textoFijo(texto);
    const QPointF origen((todo.width() - fijo.size().width()) / 2.0, (todo.height() - fijo.size().height()) / 2.0);
    QPainter p(&img);
    p.setFont(caja->font());
    p.setPen(tinta);
    p.drawStaticText(origen, fijo);
    p.fillRect(rectBarra, barra);
    p.setClipRect(rectBarra);
    p.setPen(inversa);
    p.drawStaticText(origen, fijo);
    p.end();

    caja->anotar(porcentaje, texto);
    // The save runs without returning to the event loop: paint now.
    caja->repaint();
}

}  // namespace app
