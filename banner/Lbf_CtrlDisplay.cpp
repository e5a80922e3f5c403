#include "Lbf_CtrlDisplay.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

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
    setFixedSize(sizeHint().expandedTo(QSize(400, 130)));

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
