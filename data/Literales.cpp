#include "data/Literales.h"

#include "ado/Errores.h"
#include "companion/Velmora2.h"

#include <initializer_list>

namespace datos {

namespace {

// The type as the classic text comparison sees it: 200 and "200" are the same type.
bool enGrupo(const ado::Variant& tipo, std::initializer_list<int> numeros)
{
    const QString t = tipo.toText().trimmed();
    if (t.isEmpty()) return false;
    for (int n : numeros)
        if (t == QString::number(n)) return true;
    return false;
}

ado::Fallo falloArgumento(const QString& origen, const QString& detalle)
{
    return ado::Fallo(ado::num::InvalidoArgumento,
                      ado::descripcionClasica(ado::num::InvalidoArgumento) + QStringLiteral(": ") + detalle, origen);
}

}  // namespace

QString comillas(const QString& texto)
{
    QString r = texto;
    r.replace(QLatin1Char('\''), QStringLiteral("''"));
    return r;
}

bool adodate(const ado::Variant& Qtype) { return enGrupo(Qtype, {7, 133, 134, 135, 137, 64}); }
bool ADOText(const ado::Variant& Qtype) { return enGrupo(Qtype, {8, 129, 130, 200, 201, 202, 203}); }
bool ADONumeric(const ado::Variant& Qtype)
{
    return enGrupo(Qtype, {2, 3, 4, 5, 14, 16, 17, 18, 19, 20, 21, 131});
}
bool ADOCurrency(const ado::Variant& Qtype) { return enGrupo(Qtype, {6}); }
bool ADOBoolean(const ado::Variant& Qtype) { return enGrupo(Qtype, {11}); }

QString ADOComilla(const ado::Variant& Qtype)
{
    return (adodate(Qtype) || ADOText(Qtype)) ? QStringLiteral("'") : QString();
}

ado::Variant SQLValue(const ado::Variant& Valor, const QString& Tipo)
{
    QString abre, cierra;
    const bool numerico = Tipo == QLatin1String("@");
    const bool texto = Tipo == QLatin1String("'");
    if (Valor.isNull()) {
        if (numerico)
            throw ado::Fallo(ado::num::UsoInvalidoNulo, ado::descripcionClasica(ado::num::UsoInvalidoNulo),
                             QStringLiteral("SQLValue"));
        return ado::Variant(QStringLiteral("NULL"));
    }
    QString cuerpo = Valor.toText();
    if (numerico) {
        const double n = velmora::TextoANumero(cuerpo);
        cuerpo = velmora::Reemplaza(ado::textoDeNumero(n), QStringLiteral(","), QStringLiteral("."));
    }
    if (texto) {
        abre = cierra = QStringLiteral("'");
        cuerpo = comillas(cuerpo);
    }
    return ado::Variant(abre + cuerpo + cierra);
}

QString StripOwner(QString& rsTblName)
{
    const int p = rsTblName.indexOf(QLatin1Char('.'));
    if (p < 0) return rsTblName;
    rsTblName = rsTblName.mid(p + 1);
    return rsTblName;
}

QString stSTF(QString& rsName, int rnPart)
{
    const int p = rsName.indexOf(QLatin1Char('.'));
    const bool dosPuntos = p >= 0 && rsName.indexOf(QLatin1Char('.'), p + 1) >= 0;
    if (dosPuntos) return StripOwner(rsName);
    if (rnPart != 0) return p < 0 ? rsName : rsName.mid(p + 1);
    if (p < 0) throw falloArgumento(QStringLiteral("stSTF"), QStringLiteral("el nombre \"%1\" no tiene propietario").arg(rsName));
    return rsName.left(p);
}

QString AddBrackets(const QString& rObjName)
{
    if (!rObjName.startsWith(QLatin1Char('[')) && rObjName.contains(QLatin1Char(' ')))
        return QLatin1Char('[') + rObjName + QLatin1Char(']');
    return rObjName;
}

QString StripConnect(const QString& rsTblName)
{
    const int p = rsTblName.indexOf(QStringLiteral("->"));
    if (p < 0) return rsTblName;
    if (p == 0)
        throw falloArgumento(QStringLiteral("StripConnect"),
                             QStringLiteral("el nombre \"%1\" empieza con \"->\"").arg(rsTblName));
    return rsTblName.left(p - 1);
}

QString StripBrackets(const QString& rsObjName)
{
    if (!rsObjName.startsWith(QLatin1Char('['))) return rsObjName;
    // Only a closing bracket is dropped at the end: "[A" keeps its A.
    const int fin = rsObjName.endsWith(QLatin1Char(']')) && rsObjName.size() > 1 ? rsObjName.size() - 1
                                                                                    : rsObjName.size();
    return rsObjName.mid(1, fin - 1);
}

QString StripFileName(const QString& rsFileName)
{
    const int p = qMax(rsFileName.lastIndexOf(QLatin1Char('\\')), rsFileName.lastIndexOf(QLatin1Char('/')));
    return p < 0 ? QString() : rsFileName.left(p);
}

}  // namespace datos
