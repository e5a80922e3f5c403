#include "OperadorQt.h"

#include "banner/AnchoTitulo.h"
#include "companion/Velmora2.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <algorithm>

namespace app {

namespace {
struct Boton {
    const char* texto;
    int respuesta;
    QMessageBox::ButtonRole rol;
};

std::vector<Boton> botonesDe(int flags)
{
    using R = QMessageBox::ButtonRole;
    switch (flags & 0x0F) {
    // Each button answers its underlined letter (S, N, A, C, R, O), as the classic boxes.
    case 1: return {{"&Aceptar", 1, R::AcceptRole}, {"&Cancelar", 2, R::RejectRole}};
    case 2: return {{"&Anular", 3, R::RejectRole}, {"&Reintentar", 4, R::AcceptRole}, {"&Omitir", 5, R::AcceptRole}};
    case 3: return {{"&Sí", 6, R::YesRole}, {"&No", 7, R::NoRole}, {"&Cancelar", 2, R::RejectRole}};
    case 4: return {{"&Sí", 6, R::YesRole}, {"&No", 7, R::NoRole}};
    case 5: return {{"&Reintentar", 4, R::AcceptRole}, {"&Cancelar", 2, R::RejectRole}};
    default: return {{"&Aceptar", 1, R::AcceptRole}};
    }
}

// The box sizes itself to its text; a wider title would be cut by the window
// manager, so the layout gets a strut as wide as the title needs.
void anchoParaSuTitulo(QMessageBox& caja)
{
    auto* rejilla = qobject_cast<QGridLayout*>(caja.layout());
    if (!rejilla) return;
    const int ancho = cartel::anchoParaTitulo(caja.windowTitle());
    const QMargins m = rejilla->contentsMargins();
    rejilla->addItem(new QSpacerItem(std::max(0, ancho - m.left() - m.right()), 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                     rejilla->rowCount(), 0, 1, std::max(1, rejilla->columnCount()));
}

QMessageBox::Icon iconoDe(int flags)
{
    switch (flags & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}
}  // namespace

int OperadorQt::MsgBox(const QString& texto, int botones, const QString& titulo)
{
    QMessageBox caja(iconoDe(botones), titulo.isEmpty() ? velmora::NombreEjecutable() : titulo, texto, QMessageBox::NoButton,
                     QApplication::activeWindow());
    const auto lista = botonesDe(botones);
    std::vector<std::pair<QAbstractButton*, int>> mapa;
    for (size_t i = 0; i < lista.size(); ++i) {
        QPushButton* b = caja.addButton(QString::fromUtf8(lista[i].texto), lista[i].rol);
        mapa.emplace_back(b, lista[i].respuesta);
        if (i == 0) caja.setDefaultButton(b);
    }
    // Esc gives the cancel answer when there is one, as the classic box.
    for (const auto& [b, r] : mapa)
        if (r == 2 || (mapa.size() == 1)) caja.setEscapeButton(b);
    anchoParaSuTitulo(caja);
    caja.exec();
    for (const auto& [b, r] : mapa)
        if (caja.clickedButton() == b) return r;
    return mapa.size() == 1 ? 1 : 2;
}

std::optional<QString> OperadorQt::InputBox(const QString& prompt, const QString& titulo, const QString& porDefecto)
{
    QInputDialog d(QApplication::activeWindow());
    d.setWindowTitle(titulo.isEmpty() ? velmora::NombreEjecutable() : titulo);
    d.setLabelText(prompt);
    d.setTextValue(porDefecto);
    d.setOkButtonText(QStringLiteral("&Aceptar"));
    d.setCancelButtonText(QStringLiteral("&Cancelar"));
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.textValue();
}

std::optional<QString> OperadorQt::ElegirArchivo(const velmora::PedidoArchivo& pedido)
{
    // The classic filter "Description |*.MDB" becomes Qt's "Description (*.MDB *.mdb)".
    QString filtro = pedido.filtro;
    const int barra = filtro.indexOf(QLatin1Char('|'));
    if (barra >= 0) {
        const QString patron = filtro.mid(barra + 1).trimmed();
        filtro = filtro.left(barra).trimmed() + QStringLiteral(" (") + patron + QLatin1Char(' ') + patron.toLower() + QLatin1Char(')');
    }
    const QString r = QFileDialog::getOpenFileName(QApplication::activeWindow(), pedido.titulo, QString(), filtro);
    if (r.isEmpty()) return std::nullopt;
    return r;
}

}  // namespace app
