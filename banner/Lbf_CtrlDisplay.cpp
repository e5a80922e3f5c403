#include "Lbf_CtrlDisplay.h"

#include "AnchoTitulo.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace cartel {

namespace {
constexpr int LadoCuadro = 48;

template <class F>
void ignorarFallo(F&& f)
{
    try {
        f();
    } catch (...) {
    }
}
}  // namespace

std::vector<QPixmap> Lbf_CtrlDisplay::dibujarCuadros()
{
    // A spinning arc with a trail of dots: one step of 30 degrees per frame.
    std::vector<QPixmap> cuadros;
    const qreal escala = qApp ? qApp->devicePixelRatio() : 1.0;
    for (int i = 0; i < CantidadCuadros; ++i) {
        QPixmap p(QSize(LadoCuadro, LadoCuadro) * escala);
        p.setDevicePixelRatio(escala);
        p.fill(Qt::transparent);
        QPainter pintor(&p);
        pintor.setRenderHint(QPainter::Antialiasing);
        const QRectF caja(6, 6, LadoCuadro - 12, LadoCuadro - 12);
        pintor.setPen(QPen(QColor(200, 200, 200), 5));
        pintor.drawEllipse(caja);
        QPen arco(QColor(30, 90, 170), 5);
        arco.setCapStyle(Qt::RoundCap);
        pintor.setPen(arco);
        // Qt counts angles in sixteenths of a degree, counter-clockwise: negate to turn clockwise.
        pintor.drawArc(caja, -(i * 30 - 90) * 16, -90 * 16);
        pintor.setPen(Qt::NoPen);
        pintor.setBrush(QColor(30, 90, 170, 140));
        pintor.drawEllipse(QPointF(LadoCuadro / 2.0, LadoCuadro / 2.0), 4 + (i % 3), 4 + (i % 3));
        pintor.end();
        cuadros.push_back(p);
    }
    return cuadros;
}

Lbf_CtrlDisplay::Lbf_CtrlDisplay(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("Lbf_CtrlDisplay"));
    setWindowTitle(QStringLiteral("Procesando Datos"));
    setAttribute(Qt::WA_ShowWithoutActivating);

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setFixedSize(LadoCuadro, LadoCuadro);

    auto* textos = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        lblCtrol_[static_cast<size_t>(i)] = new QLabel(this);
        lblCtrol_[static_cast<size_t>(i)]->setObjectName(QStringLiteral("LblCtrol_%1").arg(i));
        lblCtrol_[static_cast<size_t>(i)]->setMinimumWidth(300);
        textos->addWidget(lblCtrol_[static_cast<size_t>(i)]);
    }
    auto* arriba = new QHBoxLayout;
    arriba->addWidget(image1_, 0, Qt::AlignTop);
    arriba->addLayout(textos, 1);

    cmdDisplayCancelar_ = new QPushButton(QStringLiteral("&Cancelar "), this);
    cmdDisplayCancelar_->setObjectName(QStringLiteral("CmdDisplayCancelar"));
    auto* abajo = new QHBoxLayout;
    abajo->addStretch();
    abajo->addWidget(cmdDisplayCancelar_);
    abajo->addStretch();

    auto* capas = new QVBoxLayout(this);
    capas->addLayout(arriba);
    capas->addLayout(abajo);
    ajustarAlTexto();

    cuadros_ = dibujarCuadros();

    timer1_ = new QTimer(this);
    timer1_->setInterval(100);
    connect(timer1_, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(cmdDisplayCancelar_, &QPushButton::clicked, this, [this] { CmdDisplayCancelar_Click(); });

    Form_Load();
    timer1_->start();
}

Lbf_CtrlDisplay::~Lbf_CtrlDisplay() = default;

void Lbf_CtrlDisplay::Form_Load()
{
    ignorarFallo([&] {
        const QScreen* pantalla = screen() ? screen() : QGuiApplication::primaryScreen();
        if (!pantalla) return;
        const QRect g = pantalla->geometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    });
    ignorarFallo([&] { cmdDisplayCancelar_->setText(QStringLiteral("&Cancelar")); });
    ignorarFallo([&] { mostrarCuadro(1); });
    // The constant translucency of the box: 200 of 255.
    ignorarFallo([&] { setWindowOpacity(200 / 255.0); });
}

void Lbf_CtrlDisplay::ajustarAlTexto()
{
    const QScreen* pantalla = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = pantalla ? pantalla->availableGeometry() : QRect(0, 0, 1024, 768);
    if (!layout()) return;   // still building
    const QSize marco = frameGeometry().size() - geometry().size();
    const int maximo = area.width() - marco.width();
    // Each line on one row when the screen is wide enough for it.
    for (QLabel* l : lblCtrol_) l->setWordWrap(false);
    layout()->invalidate();
    layout()->activate();
    QSize tam = sizeHint().expandedTo(minimumSizeHint()).expandedTo(QSize(400, 130));
    tam.setWidth(std::max(tam.width(), anchoParaTitulo(windowTitle())));
    if (tam.width() > maximo) {
        // Never wider than the screen, frame included: longer lines wrap at their
        // blanks (a single word wider than the screen is cut there).
        for (QLabel* l : lblCtrol_) l->setWordWrap(true);
        layout()->invalidate();
        layout()->activate();
        tam.setWidth(maximo);
        if (layout()->hasHeightForWidth()) tam.setHeight(std::max(tam.height(), layout()->totalHeightForWidth(maximo)));
    }
    if (tam == size() && minimumSize() == maximumSize()) return;
    // It grows about its centre and stays on the screen.
    const QPoint centro = frameGeometry().center();
    setFixedSize(tam);
    if (!testAttribute(Qt::WA_Moved)) return;   // the load step centres it on the screen
    QRect r(QPoint(0, 0), tam + marco);
    r.moveCenter(centro);
    r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() - r.width() + 1)));
    r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() - r.height() + 1)));
    move(r.topLeft());   // a window's position is its frame's
}

void Lbf_CtrlDisplay::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowTitleChange || e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) ajustarAlTexto();
}

void Lbf_CtrlDisplay::mostrarCuadro(int numero)
{
    if (numero < 1 || numero > static_cast<int>(cuadros_.size())) return;   // a missing frame keeps the picture
    image1_->setPixmap(cuadros_[static_cast<size_t>(numero - 1)]);
    cuadroActual_ = numero;
}

void Lbf_CtrlDisplay::Timer1_Timer()
{
    ignorarFallo([&] {
        ++contador_;
        mostrarCuadro(contador_);
        if (contador_ == CantidadCuadros) contador_ = 0;
    });
}

void Lbf_CtrlDisplay::CmdDisplayCancelar_Click()
{
    cmdDisplayCancelar_->setText(QStringLiteral("Abortado"));
}

}  // namespace cartel
