// Ready-made table queries and schema helpers of DB_Dll.
#include "DB_Dll.h"
#include "Escaner.h"

#include "Literales.h"
#include "Pasos.h"
#include "Sesion.h"

#include "companion/Operador.h"
#include "companion/Velmora2.h"

namespace datos {

using ado::Fallo;
using ado::Variant;

namespace {
// The box of the existence checks: Abort/Retry/Ignore with the critical icon.
int cajaConsulta(const Fallo& f)
{
    return velmora::MsgBox(f.Description(), velmora::botones::AnularReintentarOmitir + velmora::botones::Critico, QStringLiteral("Aviso al Operador"));
}

QString textoNumerico(const QString& v)
{
    return ado::textoDeNumero(ado::valorNumerico(v)).trimmed();
}
}  // namespace

QString DB_Dll::CondicionClave(FormaClave forma, const QString& C, const QString& V, int Tipodato, bool UsaTrim)
{
    switch (Tipodato) {
    case 8:
        if (forma == FormaClave::ST) return C + QStringLiteral(" ='") + comillas(V) + QStringLiteral("'");
        if (forma == FormaClave::Existe) return QStringLiteral("LTRIM(RTRIM(") + C + QStringLiteral(")) ='") + comillas(V.trimmed()) + QStringLiteral("'");
        if (UsaTrim) return QStringLiteral("LTRIM(RTRIM(") + C + QStringLiteral(")) ='") + comillas(V.trimmed()) + QStringLiteral("' ");
        return C + QStringLiteral(" ='") + comillas(V) + QStringLiteral("' ");
    case 7:
        if (forma == FormaClave::Datos) return C + QStringLiteral(" = #") + V.trimmed() + QStringLiteral("# ");
        return C + QStringLiteral(" = ") + V.trimmed() + QStringLiteral(" ");
    case 3: case 4: case 5:
        return C + QStringLiteral(" = ") + textoNumerico(V);
    default:
        return C + QStringLiteral(" = ") + V;
    }
}

bool DB_Dll::consultaExiste(const QString& texto, RecordsetRef* Lrcs, bool SoloLectura, bool traducir, bool conexionSesion)
{
    bool resultado = false;
    DB_Dll& duena = conexionSesion ? gDB() : *this;
    int vueltas = 0;
    auto manejador = [&](const Fallo& f) { return duena.recuperaConexion(f, vueltas) ? 4 : cajaConsulta(f); };
    if (Lrcs) {
        if (!*Lrcs) *Lrcs = std::make_shared<ado::Recordset>();
        ado::Recordset& rs = **Lrcs;
        const std::function<void()> pasos[] = {
            [&] {
                if (rs.State() != ado::adStateClosed) rs.Close();
            },
            [&] {
                if (SoloLectura) rs.Open(texto, &gCnn(), ado::adOpenForwardOnly, ado::adLockReadOnly);
                else rs.Open(texto, &gCnn(), rs.CursorType(), rs.LockType());
            },
            [&] { resultado = !rs.BOF(); },
        };
        for (const auto& p : pasos)
            if (paso(p, manejador) == Siguiente::Salir) return false;
        return resultado;
    }
    ado::Recordset rs;
    ado::Connection& cnn = conexionSesion ? gDB().gCnn() : gCnn();
    const std::function<void()> pasos[] = {
        [&] { rs.Open(traducir ? ORACLE_Dicc(texto) : texto, &cnn, ado::adOpenForwardOnly, ado::adLockReadOnly); },
        [&] { resultado = !rs.BOF(); },
        [&] {
            if (rs.State() != ado::adStateClosed) rs.Close();
        },
    };
    for (const auto& p : pasos)
        if (paso(p, manejador) == Siguiente::Salir) return false;
    return resultado;
}

bool DB_Dll::ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo, RecordsetRef* Lrcs, int Tipodato,
                             const QString& Condicion, bool SoloLectura)
{
    QString texto;
    if (Condicion.trimmed().isEmpty())
        texto = QStringLiteral("SELECT * FROM ") + Tabla + QStringLiteral(" with(nolock)   WHERE ") + CondicionClave(FormaClave::ST, Campo, ValorBuscado, Tipodato);
    else
        texto = QStringLiteral("SELECT * FROM ") + Tabla + QStringLiteral(" with(nolock)  ")
                + (escaner::contiene(Condicion, QStringLiteral(" WHERE ")) ? QStringLiteral(" ") : QStringLiteral(" WHERE ")) + Condicion;
    return consultaExiste(texto, Lrcs, SoloLectura, false, true);
}

bool DB_Dll::ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo, RecordsetRef* Lrcs, int Tipodato,
                           const QString& Condicion, bool SoloLectura)
{
    QString texto;
    if (Condicion.trimmed().isEmpty())
        texto = (Tipodato == 8 ? QStringLiteral("SELECT TOP 1  * FROM ") : QStringLiteral("SELECT TOP 1 * FROM ")) + Tabla
                + QStringLiteral(" with(nolock)  WHERE ") + CondicionClave(FormaClave::Existe, Campo, ValorBuscado, Tipodato);
    else
        texto = QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock) ")
                + (escaner::contiene(Condicion, QStringLiteral(" WHERE ")) ? QStringLiteral(" ") : QStringLiteral(" WHERE ")) + Condicion;
    texto = SS_TSinonimos(texto);
    return consultaExiste(texto, Lrcs, SoloLectura, true, false);
}

Variant DB_Dll::DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto, const QString& Campo, int Tipodato,
                           const QString& Condicion, bool UsaTrim, bool IgnoraError)
{
    QString texto = QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock)  WHERE ")
                    + CondicionClave(FormaClave::Datos, Campo, ValorBuscado, Tipodato, UsaTrim);
    if (!Condicion.trimmed().isEmpty()) texto += QStringLiteral(" AND ") + Condicion;

    int vueltas = 0;
    if (IgnoraError) {
        // Silent: opened directly, so not even the statement reporter speaks;
        // only a lost connection is brought back.
        for (;;) {
            try {
                ado::Recordset rs;
                rs.Open(ORACLE_Dicc(SS_TSinonimos(texto)), &gCnn(), ado::adOpenForwardOnly, ado::adLockReadOnly);
                if (rs.State() == ado::adStateClosed || rs.eof()) return Variant(QString());
                return Variant(velmora::CampoATexto(rs.Fields(CampoDevuelto).Value()));
            } catch (const std::exception& e) {
                if (recuperaConexion(comoFallo(e), vueltas)) continue;
                return Variant(QString());
            }
        }
    }

    Variant resultado(QString{});
    RecordsetRef rs = std::make_shared<ado::Recordset>();
    bool vacio = false;
    const std::function<void()> pasos[] = {
        [&] { AbrirRecordset(texto, rs, gCnnRef(), ado::adOpenForwardOnly, ado::adLockReadOnly, -1); },
        [&] { vacio = !gOpenFlag; },
        [&] {
            if (vacio) return;
            if (rs->State() != ado::adStateClosed && !rs->eof()) resultado = Variant(velmora::CampoATexto(rs->Fields(CampoDevuelto).Value()));
        },
        [&] { CierraRecordset(rs); },
    };
    for (const auto& p : pasos)
        if (paso(p, [&](const Fallo& f) { return recuperaConexion(f, vueltas) ? 4 : cajaConsulta(f); }) == Siguiente::Salir) break;
    if (vacio) return Variant();
    return resultado;
}

Variant DB_Dll::BuscaMaximo(const QString& QueTabla, const QString& QueCampo, std::optional<Variant> Tipo, std::optional<Variant>* Condicion)
{
    std::optional<Variant> local;
    std::optional<Variant>& cond = Condicion ? *Condicion : local;
    bool repetido = false;
    for (;;) {
        QString texto = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
        // A blank condition filters nothing: no WHERE (an empty one would not run).
        if (cond && !cond->toText().trimmed().isEmpty()) texto += QStringLiteral(" WHERE ") + cond->toText().trimmed();
        const Variant mayor = valorUnico(texto, QStringLiteral("MAYOR"));
        const QString t = velmora::CampoATexto(mayor);
        // Article codes beginning with 0 are passed over once; the filter on
        // idarticulo cannot change a maximum of another column, so no second pass.
        if (!repetido && QueTabla.compare(QLatin1String("V_MA_ARTICULOS"), Qt::CaseInsensitive) == 0 && t.trimmed().startsWith(QLatin1Char('0'))) {
            const QString filtro = QStringLiteral("substring(ltrim(idarticulo),1,1)<>'0'");
            if (!cond || cond->toText().trimmed().isEmpty()) cond = Variant(QStringLiteral(" ") + filtro);
            else cond = Variant(cond->toText() + QStringLiteral(" and ") + filtro);
            repetido = true;
            continue;
        }
        if (mayor.isEmpty()) return Variant();
        if (Tipo && Tipo->toLong() == 7) return Variant(t);
        return Variant(ado::valorNumerico(t));
    }
}

Variant DB_Dll::valorUnico(QString texto, const QString& columna)
{
    // On the class's connection as written (no confidential substitution);
    // failures reach the caller, except a lost link, which is brought back.
    int vueltas = 0;
    for (;;) {
        try {
            ado::Recordset rs;
            rs.Open(esOracle() ? ORACLE_Dicc(texto) : texto, &gCnn(), ado::adOpenForwardOnly, ado::adLockReadOnly);
            if (rs.State() == ado::adStateClosed || rs.eof()) return Variant();
            const Variant v = rs.Fields(columna).Value();
            // An aggregate over no rows is Null: no value at all.
            return v.isNull() ? Variant() : v;
        } catch (const std::exception& e) {
            if (!recuperaConexion(comoFallo(e), vueltas)) throw;
        }
    }
}

Variant DB_Dll::BuscaMinimo(const QString& QueTabla, const QString& QueCampo, std::optional<Variant>, std::optional<Variant> Condicion)
{
    QString texto = QStringLiteral("SELECT MIN(") + QueCampo + QStringLiteral(") AS MENOR FROM ") + QueTabla + QStringLiteral("  with(nolock) ");
    if (Condicion && !Condicion->toText().trimmed().isEmpty()) texto += QStringLiteral(" WHERE ") + Condicion->toText().trimmed();
    const Variant menor = valorUnico(texto, QStringLiteral("MENOR"));
    return menor.isEmpty() ? menor : Variant(ado::valorNumerico(velmora::CampoATexto(menor)));
}

Variant DB_Dll::BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo, const Variant&, const QString& Condicion)
{
    QString texto = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
    if (!Condicion.trimmed().isEmpty()) texto += QStringLiteral(" WHERE ") + Condicion;
    const Variant mayor = valorUnico(texto, QStringLiteral("MAYOR"));
    return mayor.isEmpty() ? mayor : Variant(ado::valorNumerico(velmora::CampoATexto(mayor)));
}

void DB_Dll::AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos, std::optional<Variant> ValorDefault)
{
    QString texto;
    const std::function<void()> pasos[] = {
        [&] {
            texto = QStringLiteral("ALTER TABLE dbo.") + Tabla + QStringLiteral(" ADD ") + Campo + QStringLiteral(" ") + Tipo
                    + (PermiteNulos ? QStringLiteral(" Null ") : QStringLiteral(" Not Null "));
            if (ValorDefault)
                texto += QStringLiteral(" CONSTRAINT DF_") + Tabla.trimmed() + QStringLiteral("_") + Campo.trimmed() + QStringLiteral(" DEFAULT (")
                         + ValorDefault->toText() + QStringLiteral(")");
        },
        [&] {
            long n = 0;
            EjecutaConsultaSQL(texto, n);
        },
    };
    for (const auto& p : pasos)
        if (paso(p, [](const Fallo& f) { return gDB().TratamientoErrores(f, std::nullopt, QStringLiteral("errAddField")); }) == Siguiente::Salir)
            return;
}

bool DB_Dll::ExisteTablaDB(const QString& Tabla)
{
    bool resultado = false;
    std::shared_ptr<ado::Recordset> rs;
    const std::function<void()> pasos[] = {
        [&] { rs = gCnn().OpenSchema(ado::adSchemaTables); },
        [&] {
            // Omitir after a failed read leaves no list: the table is not known to exist.
            if (!rs) return;
            const QString buscada = Tabla.trimmed();
            for (; !rs->eof(); rs->MoveNext())
                if (velmora::CampoATexto(rs->Fields(QStringLiteral("TABLE_NAME")).Value()).trimmed().compare(buscada, Qt::CaseInsensitive) == 0) {
                    resultado = true;
                    break;
                }
        },
    };
    int vueltas = 0;
    for (const auto& p : pasos)
        if (paso(p, [&](const Fallo& f) {
                if (recuperaConexion(f, vueltas)) return 4;
                return gDB().TratamientoErrores(f, std::nullopt, QStringLiteral("VerificaCampos"));
            }) == Siguiente::Salir)
            return false;
    return resultado;
}

bool DB_Dll::ExisteCampoDB(const QString& Tabla, const QString& Campo)
{
    if (gDB().gProveedor.contains(QLatin1String("ORACLE"), Qt::CaseInsensitive)) return true;
    bool resultado = false;
    std::shared_ptr<ado::Recordset> rs;
    const std::function<void()> pasos[] = {
        [&] { rs = gCnn().OpenSchema(ado::adSchemaColumns, {Variant(gDBName), Variant(), Variant(Tabla), Variant()}); },
        [&] {
            if (!rs) return;
            const QString buscado = Campo.trimmed();
            for (; !rs->eof(); rs->MoveNext())
                if (velmora::CampoATexto(rs->Fields(QStringLiteral("COLUMN_NAME")).Value()).trimmed().compare(buscado, Qt::CaseInsensitive) == 0) {
                    resultado = true;
                    break;
                }
        },
    };
    int vueltas = 0;
    for (const auto& p : pasos)
        if (paso(p, [&](const Fallo& f) {
                if (recuperaConexion(f, vueltas)) return 4;
                return gDB().TratamientoErrores(f, std::nullopt, QStringLiteral("VerificaCampos"));
            }) == Siguiente::Salir)
            return false;
    return resultado;
}

bool DB_Dll::VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar, const QString& Tipo, bool PermiteNulos,
                        std::optional<Variant> ValorDefault)
{
    if (ExisteTablaDB(Tabla) && !ExisteCampoDB(Tabla, Campo) && Agregar) AddField(Tabla, Campo, Tipo, PermiteNulos, ValorDefault);
    return true;
}

}  // namespace datos
