// The suite's command line: "key=value;" items, keys found ignoring case.
// Kept apart from the rest of the start-up so the parser builds on its own.
#include "Inicio.h"

namespace app {

QString ValorParametro(const QString& lineaComandos, const QString& clave, const QString& siFalta)
{
    const qsizetype pos = lineaComandos.indexOf(clave, 0, Qt::CaseInsensitive);
    if (pos < 0) return siFalta;
    const qsizetype fin = lineaComandos.indexOf(QLatin1Char(';'), pos);
    if (fin < 0) return QString();
    const qsizetype desde = pos + clave.size();
    QString valor = lineaComandos.mid(desde, fin - desde).trimmed();
    // Only the "=" that separates key and value goes: a password may hold "=" too.
    if (valor.startsWith(QLatin1Char('='))) valor.remove(0, 1);
    return valor.trimmed();
}

QString NormalizaServidor(const QString& servidor)
{
    QString s = servidor;
    const qsizetype barra = s.indexOf(QLatin1Char('/'));
    if (barra >= 0) s = s.mid(barra + 1);
    const qsizetype dosPuntos = s.indexOf(QLatin1Char(':'));
    if (dosPuntos >= 0) s = s.left(dosPuntos);
    return s;
}

}  // namespace app
