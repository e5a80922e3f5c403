#pragma once
// The progress strip of the save: a picture box that keeps what was drawn on it
// (the classic persistent drawing) and the procedure that paints a bar with its
// percentage centred on it.
#include <QHash>
#include <QImage>
#include <QList>
#include <QStaticText>
#include <QString>
#include <QWidget>

namespace app {

class CuadroProgreso : public QWidget {
    Q_OBJECT
public:
    explicit CuadroProgreso(QWidget* parent = nullptr);

    // The persistent drawing, as large as the box.
    QImage& imagen();
    // Clears the drawing to the box's background (the classic Cls).
    void Cls();

    // What was drawn last: the percentage (-1 when the box is clear) and its text.
    int ultimoPorcentaje() const { return ultimo_; }
    QString ultimoTexto() const { return texto_; }
    // Every percentage drawn since the last vaciarRegistro(), in order.
    const QList<int>& registro() const { return registro_; }
    void vaciarRegistro() { registro_.clear(); }

    QSize sizeHint() const override { return QSize(360, 22); }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    friend void DibujaProgreso(CuadroProgreso*, int, long, const QString&);
    void anotar(int porcentaje, const QString& texto);
    // The texts drawn, laid out once (a save draws the same six).
    const QStaticText& textoFijo(const QString& texto);

    QImage imagen_;
    int ultimo_ = -1;
    QString texto_;
    QList<int> registro_;
    QHash<QString, QStaticText> textos_;
    QFont fuenteTextos_;
};

// A 24-bit classic colour value (red in the low byte, blue in the high one).
QColor colorClasico(long valor);
// caption + " " + the percentage with the pattern "###" + "%" (0 shows no digits).
QString textoProgreso(const QString& titulo, int porcentaje);

// Paints the bar of porcentaje (0-100) in color with the text centred; the part
// of the text over the bar is drawn in the bar's inverse colour so it stays
// readable (the classic not-xor pen).
void DibujaProgreso(CuadroProgreso* caja, int porcentaje, long color, const QString& titulo);

}  // namespace app
