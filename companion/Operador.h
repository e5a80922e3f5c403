#pragma once
// The operator seam: every modal message box, input box and file chooser of the
// program goes through the installed Operador. The program installs one that
// shows Qt dialogs; tests install OperadorGuionado.
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace velmora {

// Classic answer codes.
namespace respuesta {
constexpr int Aceptar = 1, Cancelar = 2, Anular = 3, Reintentar = 4, Omitir = 5, Si = 6, No = 7;
}
// Classic button and icon flags.
namespace botones {
constexpr int OK = 0, OKCancelar = 1, AnularReintentarOmitir = 2, SiNoCancelar = 3, SiNo = 4, ReintentarCancelar = 5;
constexpr int Critico = 16, Pregunta = 32, Exclamacion = 48, Informacion = 64;
}

struct PedidoArchivo {
    QString titulo;
    QString filtro;       // classic form "Descripción |*.MDB"
};

class Operador {
public:
    virtual ~Operador() = default;
    virtual int MsgBox(const QString& texto, int botones, const QString& titulo) = 0;
    // nullopt when the operator cancelled.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& titulo, const QString& porDefecto) = 0;
    // nullopt when the operator cancelled.
    virtual std::optional<QString> ElegirArchivo(const PedidoArchivo& pedido) = 0;
};

// The installed operator (never null once the program or a test installed one).
Operador& operador();
// Installs o; returns the previous one.
std::shared_ptr<Operador> instalarOperador(std::shared_ptr<Operador> o);

// Shortcuts.
inline int MsgBox(const QString& texto, int botones = 0, const QString& titulo = QString())
{
    return operador().MsgBox(texto, botones, titulo);
}

// For tests: records every call and answers from queues.
class OperadorGuionado : public Operador {
public:
    struct Llamada {
        enum class Tipo { Mensaje, Entrada, Archivo } tipo;
        QString texto;       // message text, prompt or chooser title
        int botones = 0;
        QString titulo;
        QString porDefecto;
    };

    // Answers for MsgBox, in order; when empty the first button's answer is given
    // (OK, OK, Abort, Yes, Yes, Retry).
    std::deque<int> respuestas;
    // Answers for InputBox; nullopt = cancelled. When empty: the default text.
    std::deque<std::optional<QString>> entradas;
    // Answers for ElegirArchivo. When empty: cancelled.
    std::deque<std::optional<QString>> archivos;

    std::vector<Llamada> llamadas;

    int MsgBox(const QString& texto, int botones, const QString& titulo) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& titulo, const QString& porDefecto) override;
    std::optional<QString> ElegirArchivo(const PedidoArchivo& pedido) override;

    // Message texts shown so far.
    QStringList mensajes() const;
};

// First button's answer for a flag set (what Enter would give).
int respuestaPorDefecto(int botones);

}  // namespace velmora
