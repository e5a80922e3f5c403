#include "companion/Operador.h"

#include <QMutex>

#include <cstdio>

namespace velmora {
namespace {

// Until the program installs its own, nobody is there to answer: every question
// gets what Enter would give, and the text goes to the error output so that it
// is not lost.
class OperadorSilencioso : public Operador {
public:
    int MsgBox(const QString& texto, int botones, const QString& titulo) override
    {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(titulo.isEmpty() ? QStringLiteral("Aviso") : titulo), qUtf8Printable(texto));
        return respuestaPorDefecto(botones);
    }
    std::optional<QString> InputBox(const QString& prompt, const QString& titulo, const QString& porDefecto) override
    {
        std::fprintf(stderr, "%s: %s [%s]\n", qUtf8Printable(titulo), qUtf8Printable(prompt), qUtf8Printable(porDefecto));
        return porDefecto;
    }
    std::optional<QString> ElegirArchivo(const PedidoArchivo& pedido) override
    {
        std::fprintf(stderr, "%s\n", qUtf8Printable(pedido.titulo));
        return std::nullopt;
    }
};

struct Instalado {
    QMutex cerrojo;
    std::shared_ptr<Operador> actual;
};

Instalado& instalado()
{
    static Instalado i;
    return i;
}

}  // namespace

Operador& operador()
{
    static OperadorSilencioso silencioso;
    Instalado& i = instalado();
    QMutexLocker l(&i.cerrojo);
    if (i.actual) return *i.actual;
    return silencioso;
}

std::shared_ptr<Operador> instalarOperador(std::shared_ptr<Operador> o)
{
    Instalado& i = instalado();
    QMutexLocker l(&i.cerrojo);
    std::swap(i.actual, o);
    return o;
}

int respuestaPorDefecto(int botones)
{
    switch (botones & 0x0F) {
    case botones::OK: return respuesta::Aceptar;
    case botones::OKCancelar: return respuesta::Aceptar;
    case botones::AnularReintentarOmitir: return respuesta::Anular;
    case botones::SiNoCancelar: return respuesta::Si;
    case botones::SiNo: return respuesta::Si;
    case botones::ReintentarCancelar: return respuesta::Reintentar;
    default: return respuesta::Aceptar;
    }
}

int OperadorGuionado::MsgBox(const QString& texto, int botones, const QString& titulo)
{
    llamadas.push_back({Llamada::Tipo::Mensaje, texto, botones, titulo, QString()});
    if (respuestas.empty()) return respuestaPorDefecto(botones);
    const int r = respuestas.front();
    respuestas.pop_front();
    return r;
}

std::optional<QString> OperadorGuionado::InputBox(const QString& prompt, const QString& titulo, const QString& porDefecto)
{
    llamadas.push_back({Llamada::Tipo::Entrada, prompt, 0, titulo, porDefecto});
    if (entradas.empty()) return porDefecto;
    auto r = entradas.front();
    entradas.pop_front();
    return r;
}

std::optional<QString> OperadorGuionado::ElegirArchivo(const PedidoArchivo& pedido)
{
    // The filter is kept where a default text would be, so tests can check it.
    llamadas.push_back({Llamada::Tipo::Archivo, pedido.titulo, 0, pedido.titulo, pedido.filtro});
    if (archivos.empty()) return std::nullopt;
    auto r = archivos.front();
    archivos.pop_front();
    return r;
}

QStringList OperadorGuionado::mensajes() const
{
    QStringList r;
    for (const Llamada& l : llamadas)
        if (l.tipo == Llamada::Tipo::Mensaje) r << l.texto;
    return r;
}

}  // namespace velmora
